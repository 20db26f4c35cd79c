// `quorvel-host check`: the checks a run selects, each in a process of its own (the program started
// again for one check, check.h's runOne), each with a time limit, their results as lines people
// read and as JUnit XML and JSON that CI reads.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "check.h"

namespace host::check {

// A run's choices; the values here are the defaults of `quorvel-host check`'s options.
struct RunOptions {
    CheckOptions check;  // what each unit's process is given: module, seed, level, budgets, plug-in timeout
    std::vector<std::string> scenarios;
    double timeoutSeconds = 30.0;  // each check's
    std::vector<std::string> includes;  // regular expressions a unit's name must match one of
    std::vector<std::string> excludes;  // ... and none of
    bool onlyFailed = false;
    bool strict = false;  // a WARN fails the run
    int repeat = 1;
    std::string junitFile;
    std::string jsonFile;
    bool list = false;
    int explore = 0;  // --explore N: N random sessions in place of the checks (explore_runner.h)
    double shrinkSeconds = 60.0;  // how long a failing session is shrunk for
};

// A result of one unit: what CI and people are told.
struct UnitResult {
    // Warn: the contract allows what was seen, but a maintainer may want to know.
    enum class Verdict { Pass, Warn, Fail, Crash, Timeout, Skip };
    std::string name;
    std::string description;
    Verdict verdict = Verdict::Pass;
    double seconds = 0.0;
    std::string message;    // why it failed or was skipped: one line
    std::string details;    // the report, and the last host calls before it
    std::string reproduce;  // the command that runs this unit alone, with the same seed
    std::map<std::string, double> figures;  // what the check measured
};

// What a verdict is called: on a result's line and in the reports ("PASS"), in the summary
// ("passed"), and whether it fails the run.
struct VerdictWords {
    UnitResult::Verdict verdict;
    const char* name;
    const char* counted;
    bool failsTheRun;
};
// Every verdict, in the order the summary counts them.
std::span<const VerdictWords> everyVerdict();
const char* verdictName(UnitResult::Verdict verdict);
bool failsTheRun(UnitResult::Verdict verdict);
// Whether a result fails the run: FAIL, CRASH, TIMEOUT, and WARN under --strict.
bool failsTheRun(UnitResult::Verdict verdict, bool strict);
// "18 passed, 0 warned, 1 failed, 0 crashed, 0 timed out, 2 skipped": every verdict, counted.
std::string summaryOf(const std::vector<UnitResult>& results);
// "a = 1, b = 0.25": a result's figures as its line shows them.
std::string figuresOf(const UnitResult& result);

// The selected units' names and descriptions, in order. Throws std::regex_error for a bad pattern.
std::vector<std::pair<std::string, std::string>> selectedUnits(const RunOptions& options);

// Runs the checks (or lists them, with --list), or with --explore or --replay the random sessions
// of explore_runner.h in their place. Returns the exit status: 0 if all passed, warned
// (but with --strict) or were skipped, 1 if any failed, a report could not be written, or the
// module is no module file (said once, and no check runs); 2 for a usage error (a pattern that is
// not a regular expression, a report with no folder to go to), said on `errors`.
int runChecks(const RunOptions& options, std::ostream& out, std::ostream& errors);

// A word for a POSIX shell, in single quotes unless it needs none: for the commands a report prints.
std::string shellWord(const std::string& word);

// The start of every command a report prints: the host, the module checked, and a plug-in call
// limit other than the default, which the command must keep to fail the same way.
std::string hostCommand(const RunOptions& options);

// The results as JUnit XML and as JSON, each written whole (or throws HostError).
void writeJunit(const std::string& path, const RunOptions& options, const std::vector<UnitResult>& results);
void writeJson(const std::string& path, const RunOptions& options, const std::vector<UnitResult>& results);

}  // namespace host::check
