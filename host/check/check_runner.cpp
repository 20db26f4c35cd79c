#include "check_runner.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <regex>
#include <sstream>

#include "faults/fault_reports.h"
#include "host_error.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "printable_text.h"

namespace host::check {
namespace {

const char* levelName(Level level) {
    return level == Level::Quick ? "quick" : level == Level::Thorough ? "thorough" : "default";
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A word for a POSIX shell: in single quotes unless it needs none.
std::string shellWord(const std::string& word) {
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./:=") ==
                             std::string::npos) {
        return word;
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// What a unit's process is given beyond its name: the run's choices, as on the command line.
std::vector<std::string> choices(const RunOptions& options, bool forScenario) {
    std::vector<std::string> words = {"--seed", std::to_string(options.seed)};
    if (options.level != Level::Default) {
        words.insert(words.end(), {"--level", levelName(options.level)});
    }
    if (options.budgetTouchMicroseconds != 50.0) {
        words.insert(words.end(), {"--budget-touch-us", number(options.budgetTouchMicroseconds)});
    }
    if (options.budgetFrameMicroseconds != 2000.0) {
        words.insert(words.end(), {"--budget-frame-us", number(options.budgetFrameMicroseconds)});
    }
    if (forScenario) {
        for (const std::string& scenario : options.scenarios) {
            words.insert(words.end(), {"--scenario", scenario});
        }
    }
    return words;
}

std::string reproduceCommand(const RunOptions& options, const std::string& unit) {
    std::string command = "quorvel-host --module " + shellWord(options.modulePath);
    if (options.pluginTimeout != 10.0) {
        command += " --plugin-timeout " + number(options.pluginTimeout);
    }
    command += " check --include " + shellWord("^" + unit + "$");
    for (const std::string& word : choices(options, unit.rfind("scenario:", 0) == 0)) {
        command += " " + shellWord(word);
    }
    return command;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The verdict, message and details a unit's process left: its last line says how a check ended
// ("passed", "failed: WHY", "skipped: WHY"); a crash or a hang ends it with the fault report.
void readOutcome(const ChildRun& run, UnitResult& result) {
    const std::vector<std::string> lines = linesOf(run.output);
    std::size_t report = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("quorvel-host: ", 0) == 0 && lines[i].find(" crashed in ") != std::string::npos) {
            report = i;
            break;
        }
        if (lines[i].rfind("quorvel-host: ", 0) == 0 && lines[i].find(" did not return ") != std::string::npos) {
            report = i;
            break;
        }
    }
    const std::string last = lines.empty() ? std::string() : lines.back();
    using Verdict = UnitResult::Verdict;
    if (run.ending == ChildRun::Ending::TimedOut) {
        result.verdict = Verdict::Timeout;
        result.message = "it did not finish within its time limit (--timeout), and was stopped";
    } else if (run.ending == ChildRun::Ending::NotStarted) {
        result.verdict = Verdict::Fail;
        result.message = run.output;
    } else if (run.ending == ChildRun::Ending::Signalled) {
        result.verdict = Verdict::Crash;
        result.message = "its process ended with signal " + std::to_string(run.status);
    } else if (run.status == kPluginCrashedStatus || run.status == kHostCrashedStatus) {
        result.verdict = Verdict::Crash;
        result.message = report < lines.size() ? lines[report].substr(14) : "it crashed";
    } else if (run.status == kPluginHungStatus) {
        result.verdict = Verdict::Timeout;
        result.message = report < lines.size() ? lines[report].substr(14) : "a plug-in call hung";
    } else if (run.status == kPassed && last == "passed") {
        result.verdict = Verdict::Pass;
    } else if (run.status == kSkipped && last.rfind("skipped: ", 0) == 0) {
        result.verdict = Verdict::Skip;
        result.message = last.substr(9);
    } else {
        result.verdict = Verdict::Fail;
        const bool said = last.rfind("failed: ", 0) == 0;
        result.message = said ? last.substr(8) : "its process ended with status " + std::to_string(run.status);
        if (!said) {
            // Ended some other way (a sanitizer's report, say): what it printed last is the report.
            constexpr std::size_t kShownLines = 20;
            report = 0;
            for (std::size_t i = lines.size(), shown = 0; i > 0 && shown < kShownLines; --i) {
                if (lines[i - 1].rfind("[trace] ", 0) != 0) {
                    report = i - 1;
                    ++shown;
                }
            }
        }
    }
    if (result.verdict == Verdict::Pass || result.verdict == Verdict::Skip) {
        return;
    }
    // The report, and the last host calls the plug-in made before it.
    std::vector<std::string> calls;
    for (std::size_t i = 0; i < report && i < lines.size(); ++i) {
        if (lines[i].rfind("[trace] ", 0) == 0) {
            calls.push_back(lines[i].substr(8));
        }
    }
    constexpr std::size_t kShownCalls = 12;
    std::string details;
    for (std::size_t i = report; i < lines.size(); ++i) {
        if (lines[i].rfind("[trace] ", 0) != 0) {
            details += lines[i] + "\n";
        }
    }
    if (!calls.empty()) {
        details += "the last host calls before it:\n";
        for (std::size_t i = calls.size() > kShownCalls ? calls.size() - kShownCalls : 0; i < calls.size(); ++i) {
            details += "  " + calls[i] + "\n";
        }
    }
    result.details = details;
}

// A line of a report as it is shown: printable, and cut short past what a reader takes in.
std::string shown(const std::string& text) {
    constexpr std::size_t kLongest = 400;
    const std::string line = printable(text);
    if (line.size() <= kLongest) {
        return line;
    }
    return line.substr(0, kLongest) + "... (" + std::to_string(line.size() - kLongest) + " more characters)";
}

void printResult(const UnitResult& result, std::ostream& out) {
    char line[160];
    std::snprintf(line, sizeof line, "%-8s %-46s %7.2f s", verdictName(result.verdict), result.name.c_str(),
                  result.seconds);
    out << line << '\n';
    if (!result.message.empty()) {
        out << "    " << shown(result.message) << '\n';
    }
    for (const std::string& detail : linesOf(result.details)) {
        out << "    " << shown(detail) << '\n';
    }
    if (!result.reproduce.empty()) {
        out << "    reproduce: " << result.reproduce << '\n';
    }
}

}  // namespace

const char* verdictName(UnitResult::Verdict verdict) {
    switch (verdict) {
    case UnitResult::Verdict::Pass: return "PASS";
    case UnitResult::Verdict::Fail: return "FAIL";
    case UnitResult::Verdict::Crash: return "CRASH";
    case UnitResult::Verdict::Timeout: return "TIMEOUT";
    case UnitResult::Verdict::Skip: return "SKIP";
    }
    return "?";
}

std::vector<std::pair<std::string, std::string>> selectedUnits(const RunOptions& options) {
    std::vector<std::pair<std::string, std::string>> units;
    const auto add = [&units](std::string name, const std::string& description, Check::Arrangements arrangements) {
        if (arrangements == Check::Arrangements::Both) {
            units.emplace_back(name + "/one", description);
            units.emplace_back(name + "/separate", description);
        } else {
            units.emplace_back(std::move(name), description);
        }
    };
    for (const Check& check : catalogue()) {
        add(check.name, check.description, check.arrangements);
    }
    for (const std::string& scenario : options.scenarios) {
        add("scenario:" + scenarioName(scenario),
            "The script " + scenarioName(scenario) + " prints its expected transcript.", Check::Arrangements::Both);
    }
    const auto compiled = [](const std::vector<std::string>& patterns, const char* option) {
        std::vector<std::regex> regexes;
        for (const std::string& pattern : patterns) {
            try {
                regexes.emplace_back(pattern);
            } catch (const std::regex_error& error) {
                throw HostError(std::string(option) + " " + quoted(pattern) + " is not a regular expression: " + error.what());
            }
        }
        return regexes;
    };
    const std::vector<std::regex> includes = compiled(options.includes, "--include");
    const std::vector<std::regex> excludes = compiled(options.excludes, "--exclude");
    std::erase_if(units, [&](const auto& unit) {
        const auto matches = [&unit](const std::regex& pattern) { return std::regex_search(unit.first, pattern); };
        return (!includes.empty() && std::none_of(includes.begin(), includes.end(), matches)) ||
               std::any_of(excludes.begin(), excludes.end(), matches);
    });
    return units;
}

int runChecks(const RunOptions& options, std::ostream& out, std::ostream& errors) {
    std::vector<std::pair<std::string, std::string>> units;
    try {
        units = selectedUnits(options);
    } catch (const HostError& error) {
        errors << "quorvel-host: check: " << error.what() << '\n';
        return 2;
    }
    if (units.empty()) {
        // A pattern that matches nothing is most likely mistyped; a run of nothing would pass.
        errors << "quorvel-host: check: no check's name is chosen by --include and --exclude; "
                  "'check --list' lists them\n";
        return 2;
    }
    for (const auto& [option, file] : {std::pair{"--junit", &options.junitFile}, {"--json", &options.jsonFile}}) {
        if (!file->empty()) {
            if (const auto problem = whyCannotWrite(*file)) {
                errors << "quorvel-host: check " << option << ' ' << printable(*file) << ": cannot write it: " << *problem
                       << '\n';
                return 2;
            }
        }
    }
    if (options.list) {
        for (const auto& [name, description] : units) {
            char line[64];
            std::snprintf(line, sizeof line, "%-32s ", name.c_str());
            out << line << description << '\n';
        }
        return 0;
    }
    out << "quorvel-host check: " << printable(options.modulePath) << ", seed " << options.seed << ", level "
        << levelName(options.level) << ", " << units.size() * static_cast<std::size_t>(options.repeat)
        << (units.size() * static_cast<std::size_t>(options.repeat) == 1 ? " check\n" : " checks\n") << std::flush;
    // A hang inside a check is best reported by the check's own process, with where it is, before its
    // time is up.
    const double pluginTimeout =
        options.timeoutSeconds > 0 ? std::min(options.pluginTimeout > 0 ? options.pluginTimeout : 1e9, options.timeoutSeconds / 2)
                                   : options.pluginTimeout;
    std::vector<UnitResult> results;
    for (int round = 0; round < options.repeat; ++round) {
        for (const auto& [name, description] : units) {
            std::vector<std::string> arguments = {"--module",          options.modulePath, "--plugin-timeout",
                                                  number(pluginTimeout), "--no-config",     "check",
                                                  "--run-one",          name};
            for (const std::string& word : choices(options, true)) {
                arguments.push_back(word);
            }
            const ChildRun run = runChild(executablePath(), arguments, options.timeoutSeconds);
            UnitResult result;
            result.name = name;
            result.description = description;
            result.seconds = run.seconds;
            readOutcome(run, result);
            if (result.verdict != UnitResult::Verdict::Pass && result.verdict != UnitResult::Verdict::Skip) {
                result.reproduce = reproduceCommand(options, name);
            }
            const bool failed =
                result.verdict != UnitResult::Verdict::Pass && result.verdict != UnitResult::Verdict::Skip;
            if (!options.onlyFailed || failed) {
                printResult(result, out);
                out << std::flush;
            }
            results.push_back(std::move(result));
        }
    }
    std::size_t passed = 0;
    std::size_t skipped = 0;
    for (const UnitResult& result : results) {
        passed += result.verdict == UnitResult::Verdict::Pass ? 1 : 0;
        skipped += result.verdict == UnitResult::Verdict::Skip ? 1 : 0;
    }
    const std::size_t failed = results.size() - passed - skipped;
    int status = failed == 0 ? 0 : 1;
    try {
        if (!options.junitFile.empty()) {
            writeJunit(options.junitFile, options, results);
        }
        if (!options.jsonFile.empty()) {
            writeJson(options.jsonFile, options, results);
        }
    } catch (const HostError& error) {
        errors << "quorvel-host: check: " << error.what() << '\n';
        status = 1;
    }
    if (skipped > 0) {
        out << skipped << " skipped\n";
    }
    out << passed << " passed, " << failed << " failed\n";
    return status;
}

}  // namespace host::check
