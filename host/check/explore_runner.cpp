#include "explore_runner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "checks.h"
#include "explore_scripts.h"
#include "host_error.h"
#include "platform/files.h"
#include "platform/process.h"

namespace host::check {
namespace {

using Clock = std::chrono::steady_clock;

// Enough sessions that a process's start-up is paid rarely, few enough that their loads (a session
// loads the plug-in about eight times) fit well within a unit's time limit, which allows for about
// two hundred load cycles.
constexpr int kSessionsPerProcess = 10;

bool passed(const UnitResult& result) {
    return result.verdict == UnitResult::Verdict::Pass || result.verdict == UnitResult::Verdict::Skip;
}

double secondsSince(Clock::time_point started) {
    return std::chrono::duration<double>(Clock::now() - started).count();
}

// What a failure is, to tell whether a smaller script fails the same way: its verdict, and its
// message with every number taken out (addresses, counts). A WARN's message quotes the lines that
// differed, which shrinking changes: its verdict alone.
std::string signature(const UnitResult& result) {
    std::string text = verdictName(result.verdict);
    if (result.verdict == UnitResult::Verdict::Warn) {
        return text;
    }
    text += ": ";
    for (std::size_t i = 0; i < result.message.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(result.message[i]))) {
            while (i + 1 < result.message.size() &&
                   (std::isxdigit(static_cast<unsigned char>(result.message[i + 1])) || result.message[i + 1] == 'x' ||
                    result.message[i + 1] == '.')) {
                ++i;
            }
            text += '#';
        } else {
            text += result.message[i];
        }
    }
    return text;
}

UnitResult replay(const UnitProcess& run, const std::string& file) {
    return run(kReplayUnit, {"--replay", file});
}

// The session `index`, which failed as `alone` did, shrunk, written to the current folder, and
// reported.
UnitResult shrunk(const RunOptions& options, const UnitProcess& run, const std::string& folder, int index,
                  const UnitResult& alone, std::ostream& out) {
    const SessionScript original = readScript(exploredSessionFile(folder, index));
    const std::string wanted = signature(alone);
    const std::string candidateFile = folder + kPathSeparator + "candidate.scenario";
    out << "session " << index << " " << verdictName(alone.verdict) << " alone too; shrinking its "
        << original.lines.size() << " lines (for at most " << options.shrinkSeconds << " s)\n"
        << std::flush;
    int runs = 0;
    // At most a year: any more would overflow the clock's count.
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(std::min(options.shrinkSeconds, 3.2e7)));
    const SessionScript smallest = shrinkScript(
        original,
        [&](const SessionScript& candidate) {
            writeFileAtomically(candidateFile, scriptText(candidate, "a candidate"));
            ++runs;
            return signature(replay(run, candidateFile)) == wanted;
        },
        deadline);
    const bool stopped = Clock::now() >= deadline;
    const std::string name = "explore-" + std::to_string(options.check.seed) + "-" + std::to_string(index) + ".scenario";
    const std::string replayCommand =
        hostCommand(options) + " check --replay " + shellWord(name);
    const std::string text =
        scriptText(smallest, "session " + std::to_string(index) + " of check --explore " + std::to_string(options.explore) +
                                 " --seed " + std::to_string(options.check.seed) + ", shrunk: " + replayCommand);
    std::string written = name;
    std::string unwritten;
    try {
        writeFileAtomically(name, text);
    } catch (const HostError& error) {
        unwritten = std::string(error.what()) + "\n";
        written = candidateFile;
        writeFileAtomically(candidateFile, text);
    }
    // Once more, for the shrunk script's own report (which line of it fails).
    UnitResult finding = replay(run, written);
    if (signature(finding) != wanted) {
        finding = alone;  // it failed otherwise this time: the confirmed run's report stands
    }
    finding.name = kExploreUnit;
    finding.message = "session " + std::to_string(index) + " (--threads " +
                      (original.threads == ThreadMode::One ? "one" : "separate") + "): " + finding.message;
    finding.details += unwritten + "shrunk from " + std::to_string(original.lines.size()) + " to " +
                       std::to_string(smallest.lines.size()) + " lines in " + std::to_string(runs) + " runs" +
                       (stopped ? " (stopped at the time limit)" : "") +
                       (unwritten.empty() ? ", written to " + name : "") + ":\n";
    for (const std::string& line : smallest.lines) {
        finding.details += "  " + line + "\n";
    }
    if (unwritten.empty()) {
        finding.reproduce = replayCommand;
    }
    finding.figures["sessions"] = index + 1;
    finding.figures["shrink runs"] = runs;
    return finding;
}

}  // namespace

std::vector<UnitResult> exploreSessions(const RunOptions& options, const UnitProcess& run, const std::string& folder,
                                        std::ostream& out) {
    const Clock::time_point started = Clock::now();
    std::vector<std::string> unconfirmed;
    for (int next = 0; next < options.explore;) {
        const int count = std::min(kSessionsPerProcess, options.explore - next);
        const UnitResult batch = run(std::string(kExploreUnit) + ":" + std::to_string(next) + ":" + std::to_string(count),
                                     {"--sessions", folder});
        if (passed(batch)) {
            next += count;
            continue;
        }
        const auto done = batch.figures.find(kSessionsPassed);
        const int failed = next + (done == batch.figures.end() ? 0 : static_cast<int>(done->second));
        if (!std::filesystem::exists(exploredSessionFile(folder, failed))) {
            // Before any session: the first load, which tells the sessions what the plug-in has.
            UnitResult failure = batch;
            failure.name = kExploreUnit;
            failure.message = "before the first session, loading the plug-in: " + batch.message;
            failure.reproduce = hostCommand(options) + " check --explore 1 --seed " + std::to_string(options.check.seed);
            failure.seconds = secondsSince(started);
            return {failure};
        }
        out << "session " << failed << " " << verdictName(batch.verdict) << ": " << batch.message
            << "\nrunning it again in a process of its own\n"
            << std::flush;
        const UnitResult alone = replay(run, exploredSessionFile(folder, failed));
        if (passed(alone)) {
            // What other sessions in its process left behind, or chance: worth knowing, not shrinkable.
            unconfirmed.push_back("session " + std::to_string(failed) + " " + verdictName(batch.verdict) +
                                  " after others in its process, but passed alone: " + batch.message);
            next = failed + 1;
            continue;
        }
        UnitResult finding = shrunk(options, run, folder, failed, alone, out);
        finding.seconds = secondsSince(started);
        return {finding};
    }
    UnitResult result;
    result.name = kExploreUnit;
    result.seconds = secondsSince(started);
    result.figures["sessions"] = options.explore;
    if (!unconfirmed.empty()) {
        result.verdict = UnitResult::Verdict::Warn;
        result.message = unconfirmed.front();
        for (std::size_t i = 1; i < unconfirmed.size(); ++i) {
            result.details += unconfirmed[i] + "\n";
        }
    }
    return {result};
}

UnitResult replayScript(const RunOptions& options, const UnitProcess& run) {
    UnitResult result = replay(run, options.check.replay);
    result.name = kReplayUnit;
    return result;
}

}  // namespace host::check
