#include "check_runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <regex>
#include <sstream>

#include "check_records.h"
#include "explore_runner.h"
#include "faults/fault_reports.h"
#include "host_error.h"
#include "loader/module_file_check.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/process.h"
#include "printable_text.h"

namespace host::check {
namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// What a unit's process is given beyond its name: the run's choices, as on the command line.
std::vector<std::string> choices(const RunOptions& options, bool forScenario) {
    const CheckOptions& check = options.check;
    const CheckOptions defaults;
    std::vector<std::string> words = {"--seed", std::to_string(check.seed)};
    if (check.level != defaults.level) {
        words.insert(words.end(), {"--level", levelName(check.level)});
    }
    if (check.budgetTouchMicroseconds != defaults.budgetTouchMicroseconds) {
        words.insert(words.end(), {"--budget-touch-us", number(check.budgetTouchMicroseconds)});
    }
    if (check.budgetFrameMicroseconds != defaults.budgetFrameMicroseconds) {
        words.insert(words.end(), {"--budget-frame-us", number(check.budgetFrameMicroseconds)});
    }
    if (forScenario) {
        for (const std::string& scenario : options.scenarios) {
            words.insert(words.end(), {"--scenario", scenario});
        }
        if (check.record) {
            words.push_back("--record");
        }
    }
    return words;
}

std::string reproduceCommand(const RunOptions& options, const std::string& unit) {
    std::string command = hostCommand(options) + " check --include " + shellWord("^" + unit + "$");
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

// The end of what a unit's process printed, for a process that ended without a verdict or a fault
// record (a sanitizer's report, say): shown as it is, not read.
std::string lastLinesOf(const std::string& output) {
    constexpr std::size_t kShownLines = 20;
    const std::vector<std::string> lines = linesOf(output);
    std::string text;
    for (std::size_t i = lines.size() > kShownLines ? lines.size() - kShownLines : 0; i < lines.size(); ++i) {
        text += lines[i] + "\n";
    }
    return text;
}

// The verdict, message and details of a unit: from how its process ended and the records it and the
// fault watcher left.
void readOutcome(const ChildRun& run, const UnitRecords& records, double limitSeconds, UnitResult& result) {
    using Verdict = UnitResult::Verdict;
    const auto said = [&records, &run](const char* verdict, int status) {
        return records.verdict == verdict && run.status == status;
    };
    std::string report;
    if (run.ending == ChildRun::Ending::TimedOut) {
        result.verdict = Verdict::Timeout;
        result.message = "it did not finish within its time limit of " + number(limitSeconds) + " s, and was stopped" +
                         (records.progress.empty() ? std::string() : " after " + records.progress);
    } else if (run.ending == ChildRun::Ending::NotStarted) {
        result.verdict = Verdict::Fail;
        result.message = run.output;
    } else if (run.ending == ChildRun::Ending::Signalled) {
        result.verdict = Verdict::Crash;
        result.message = "its process ended with signal " + std::to_string(run.status);
    } else if (records.fault) {
        result.verdict = records.fault->hang ? Verdict::Timeout : Verdict::Crash;
        result.message = records.fault->message +
                         (records.fault->hang && !records.progress.empty() ? " (after " + records.progress + ")" : "");
        report = records.fault->report;
    } else if (run.status == kPluginCrashedStatus || run.status == kHostCrashedStatus) {
        result.verdict = Verdict::Crash;
        result.message = "it crashed";
        report = lastLinesOf(run.output);
    } else if (run.status == kPluginHungStatus) {
        result.verdict = Verdict::Timeout;
        result.message = "a plug-in call hung";
        report = lastLinesOf(run.output);
    } else if (said("PASS", kPassed)) {
        result.verdict = Verdict::Pass;
    } else if (said("WARN", kWarned)) {
        result.verdict = Verdict::Warn;
        result.message = records.message;
    } else if (said("SKIP", kSkipped)) {
        result.verdict = Verdict::Skip;
        result.message = records.message;
    } else if (said("FAIL", kFailed)) {
        result.verdict = Verdict::Fail;
        result.message = records.message;
    } else {
        result.verdict = Verdict::Fail;
        result.message = "its process ended with status " + std::to_string(run.status);
        report = lastLinesOf(run.output);
    }
    result.figures = records.figures;
    if (result.verdict == Verdict::Pass || result.verdict == Verdict::Skip) {
        return;
    }
    // The report, and the last host calls the plug-in made before it.
    std::string details = report;
    if (!records.lastCalls.empty()) {
        details += "the last host calls before it:\n";
        for (const pluginsdk::SdkCall& call : records.lastCalls) {
            details += "  " + pluginsdk::describe(call) + "\n";
        }
    }
    result.details = details;
}

// The level's limit on a unit: --timeout, three times that at thorough, which does ten times the
// work, most of it in the plug-in's code and paid for below.
double levelLimit(const RunOptions& options) {
    return options.timeoutSeconds * (options.check.level == Level::Thorough ? 3.0 : 1.0);
}

// A unit's limit: the level's, and twice what the plug-in's load cycles at this level take (a
// unit loads, touches and draws about that much), at most ten times the level's. A plug-in with a
// slow but lawful onLoad is not stopped for the time the contract allows it.
double unitLimit(const RunOptions& options, double secondsPerLoadCycle) {
    const double level = levelLimit(options);
    const double cycles = amountsAt(options.check.level).cycles + 2.0;
    return std::min(level * 10.0, level + 2.0 * cycles * secondsPerLoadCycle);
}

// What one load cycle of the plug-in takes, measured in a process of its own (the plug-in may crash
// or hang there, as anywhere); 0 if it did not say.
double secondsPerLoadCycle(const std::vector<std::string>& arguments, const std::string& recordsFile, double limit) {
    (void)runChild(executablePath(), arguments, limit);
    const UnitRecords records = readRecords(recordsFile);
    std::error_code ignored;
    std::filesystem::remove(recordsFile, ignored);
    const auto figure = records.figures.find(kSecondsPerLoadCycle);
    return figure == records.figures.end() || !(figure->second > 0.0) ? 0.0 : figure->second;
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
    const std::string figures = figuresOf(result);
    out << line << (figures.empty() ? "" : "   " + figures) << '\n';
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

std::string hostCommand(const RunOptions& options) {
    std::string command = "quorvel-host --module " + shellWord(options.check.modulePath);
    if (options.check.pluginTimeout != CheckOptions().pluginTimeout) {
        command += " --plugin-timeout " + number(options.check.pluginTimeout);
    }
    return command;
}

std::span<const VerdictWords> everyVerdict() {
    using Verdict = UnitResult::Verdict;
    static constexpr VerdictWords kVerdicts[] = {
        {Verdict::Pass, "PASS", "passed", false},         {Verdict::Warn, "WARN", "warned", false},
        {Verdict::Fail, "FAIL", "failed", true},
        {Verdict::Crash, "CRASH", "crashed", true},       {Verdict::Timeout, "TIMEOUT", "timed out", true},
        {Verdict::Skip, "SKIP", "skipped", false},
    };
    return kVerdicts;
}

const char* verdictName(UnitResult::Verdict verdict) {
    for (const VerdictWords& words : everyVerdict()) {
        if (words.verdict == verdict) {
            return words.name;
        }
    }
    return "?";
}

bool failsTheRun(UnitResult::Verdict verdict) {
    for (const VerdictWords& words : everyVerdict()) {
        if (words.verdict == verdict) {
            return words.failsTheRun;
        }
    }
    return true;
}

bool failsTheRun(UnitResult::Verdict verdict, bool strict) {
    return failsTheRun(verdict) || (strict && verdict == UnitResult::Verdict::Warn);
}

std::string summaryOf(const std::vector<UnitResult>& results) {
    std::string text;
    for (const VerdictWords& words : everyVerdict()) {
        const auto count = std::count_if(results.begin(), results.end(),
                                         [&words](const UnitResult& result) { return result.verdict == words.verdict; });
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + words.counted;
    }
    return text;
}

std::string figuresOf(const UnitResult& result) {
    std::string text;
    for (const auto& [name, value] : result.figures) {
        // Counts and hashes whole; times to a hundredth of their unit.
        char shown[48];
        const bool whole = value == std::floor(value) && std::fabs(value) < 1e15;
        std::snprintf(shown, sizeof shown, whole ? "%.0f" : "%.2f", value);
        text += (text.empty() ? "" : ", ") + name + " = " + shown;
    }
    return text;
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
                throw HostError(std::string(option) + " " + host::quoted(pattern) + " is not a regular expression: " + error.what());
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
    // --explore and --replay run sessions, not the catalogue's checks.
    const bool sessions = options.explore > 0 || !options.check.replay.empty();
    std::vector<std::pair<std::string, std::string>> units;
    try {
        if (!sessions) {
            units = selectedUnits(options);
        }
    } catch (const HostError& error) {
        errors << "quorvel-host: check: " << error.what() << '\n';
        return 2;
    }
    if (units.empty() && !sessions) {
        // A pattern that matches nothing is most likely mistyped; a run of nothing would pass.
        errors << "quorvel-host: check: no check's name is chosen by --include and --exclude; "
                  "'check --list' lists them\n";
        return 2;
    }
    if (options.explore > 0 && !options.check.replay.empty()) {
        errors << "quorvel-host: check: --explore and --replay are two runs: give one\n";
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
    // A file that is no module at all would fail every check for the same reason: said once.
    if (const auto problem = moduleFileProblem(options.check.modulePath)) {
        errors << "quorvel-host: check: cannot load " << host::quoted(options.check.modulePath) << ": " << *problem << '\n';
        return 1;
    }
    if (options.explore > 0) {
        out << "quorvel-host check --explore " << options.explore << ": " << printable(options.check.modulePath)
            << ", seed " << options.check.seed << '\n' << std::flush;
    } else if (sessions) {
        out << "quorvel-host check --replay " << printable(options.check.replay) << ": "
            << printable(options.check.modulePath) << '\n' << std::flush;
    } else {
        out << "quorvel-host check: " << printable(options.check.modulePath) << ", seed " << options.check.seed
            << ", level " << levelName(options.check.level) << ", "
            << units.size() * static_cast<std::size_t>(options.repeat)
            << (units.size() * static_cast<std::size_t>(options.repeat) == 1 ? " check\n" : " checks\n") << std::flush;
    }
    // A hang inside a check is best reported by the check's own process, with where it is, before its
    // time is up.
    const double pluginTimeout = options.timeoutSeconds > 0 ? std::min(options.check.pluginTimeout > 0
                                                                           ? options.check.pluginTimeout
                                                                           : 1e9,
                                                                       options.timeoutSeconds / 2)
                                                            : options.check.pluginTimeout;
    // Each unit's process leaves its records in a file of a folder of the run's own.
    std::string recordsFolder;
    try {
        recordsFolder = makePrivateFolder(std::filesystem::temp_directory_path().string(), "quorvel-check-");
    } catch (const std::exception& error) {
        errors << "quorvel-host: check: no folder for the checks' records: " << error.what() << '\n';
        return 1;
    }
    const auto argumentsFor = [&](const std::string& unit, const std::string& recordsFile) {
        std::vector<std::string> arguments = {"--module",       options.check.modulePath,
                                              "--plugin-timeout", number(pluginTimeout),
                                              "--no-config",    "check",
                                              "--run-one",      unit,
                                              "--records",      recordsFile};
        for (const std::string& word : choices(options, true)) {
            arguments.push_back(word);
        }
        return arguments;
    };
    double limit = options.timeoutSeconds;
    if (limit > 0) {
        const std::string recordsFile = recordsFolder + kPathSeparator + "load-cycle.jsonl";
        const double cycle =
            secondsPerLoadCycle(argumentsFor(kLoadCycleUnit, recordsFile), recordsFile, levelLimit(options));
        limit = unitLimit(options, cycle);
        if (limit > options.timeoutSeconds) {
            out << "time limit per check: " << number(limit) << " s (--timeout " << number(options.timeoutSeconds)
                << " s at level " << levelName(options.check.level) << ", and " << number(cycle * 1000.0)
                << " ms per load cycle of the plug-in)\n";
        }
    }
    int unitsRun = 0;
    const UnitProcess runUnit = [&](const std::string& name, const std::vector<std::string>& words) {
        const std::string recordsFile = recordsFolder + kPathSeparator + std::to_string(unitsRun++) + ".jsonl";
        std::vector<std::string> arguments = argumentsFor(name, recordsFile);
        arguments.insert(arguments.end(), words.begin(), words.end());
        // Sessions judge the heap they keep, to the byte where the allocator can say.
        const ChildRun run =
            runChild(executablePath(), arguments, limit, sessions ? ChildHeap::Exact : ChildHeap::Usual);
        UnitResult result;
        result.name = name;
        result.seconds = run.seconds;
        readOutcome(run, readRecords(recordsFile), limit, result);
        std::error_code ignored;
        std::filesystem::remove(recordsFile, ignored);
        return result;
    };
    const auto notPassed = [](const UnitResult& result) {
        return result.verdict != UnitResult::Verdict::Pass && result.verdict != UnitResult::Verdict::Skip;
    };
    std::vector<UnitResult> results;
    if (sessions) {
        try {
            results = options.explore > 0 ? exploreSessions(options, runUnit, recordsFolder, out)
                                           : std::vector<UnitResult>{replayScript(options, runUnit)};
        } catch (const HostError& error) {
            // The sessions' scripts could not be written: the run says so, and fails.
            UnitResult failed;
            failed.name = kExploreUnit;
            failed.verdict = UnitResult::Verdict::Fail;
            failed.message = error.what();
            results = {failed};
        }
        for (const UnitResult& result : results) {
            printResult(result, out);
        }
    }
    for (int round = 0; round < options.repeat && !sessions; ++round) {
        for (const auto& [name, description] : units) {
            UnitResult result = runUnit(name, {});
            result.description = description;
            // A WARN gets its reproduce command too: the maintainer may want to look.
            if (notPassed(result)) {
                result.reproduce = reproduceCommand(options, name);
            }
            if (!options.onlyFailed || notPassed(result)) {
                printResult(result, out);
                out << std::flush;
            }
            results.push_back(std::move(result));
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(recordsFolder, ignored);
    int status = std::any_of(results.begin(), results.end(),
                             [&options](const UnitResult& result) { return failsTheRun(result.verdict, options.strict); })
                     ? 1
                     : 0;
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
    out << summaryOf(results) << '\n';
    return status;
}

}  // namespace host::check
