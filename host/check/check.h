// The checks of `quorvel-host check`: the host's contract with a plug-in, and the plug-in's with
// the host, as named checks that any module built against sdk/ can be put through. Each check is
// one rule, a sentence long; variants (the thread arrangement, the seed) are parameters, not copies.
//
// Who calls what: the runner (check_runner.h) starts the program again for each check and its
// arrangement, and that process runs the check's body (runOne): what the check finds reaches the
// runner as records in a file the runner names (check_records.h), its verdict also as the exit
// status. A crash or a hang inside the body is then the faults' report (faults/), recorded in the
// same file, in a process of its own, and the run goes on.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "loader/checked_module.h"
#include "threads/host_threads.h"

namespace host::check {

class CheckRecords;

enum class Level { Quick, Default, Thorough };

// "quick", "default", "thorough": the names --level takes and the report prints.
const char* levelName(Level level);
std::optional<Level> levelNamed(std::string_view name);
// Every level's name, in order, for the command line.
std::vector<std::string> levelNames();

// How much a check does at each level.
struct Amounts {
    int cycles;     // loads and unloads
    int touches;    // touches of each team where a check touches
    int timedRuns;  // runs a time budget is measured over
};
Amounts amountsAt(Level level);

// What every check is given: the module, its arrangement, and the run's choices. The values here
// are the defaults of `quorvel-host check`'s options.
struct CheckOptions {
    std::string modulePath;
    ThreadMode threads = ThreadMode::One;
    std::uint64_t seed = 0;           // every random choice comes from it
    Level level = Level::Default;
    double budgetTouchMicroseconds = 50.0;
    double budgetFrameMicroseconds = 2000.0;
    double pluginTimeout = kDefaultPluginTimeoutSeconds;  // each plug-in call's longest (--plugin-timeout)
    std::string scenario;             // the script of a scenario check
    bool record = false;              // a scenario check writes its missing transcript (--record)
    std::string replay;               // the script `check --replay` runs (explore_scripts.h)
    // The sessions of `check --explore` one process runs, and the folder each one's script is
    // written to before it runs.
    int exploreFirst = 0;
    int exploreCount = 0;
    std::string sessionsFolder;
};

// A check that does not hold: its body throws this, saying what was seen and what was expected.
class CheckFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A check that found what the contract allows but a maintainer may want to know (a plug-in that
// reads a clock the host cannot fix): thrown with what was seen. Not a failure, unless --strict.
class CheckWarned : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A check that cannot run here (the platform lacks what it needs): thrown with the reason.
class CheckSkipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws CheckFailed with `message` unless `holds`.
void require(bool holds, const std::string& message);

struct Check {
    enum class Arrangements { One, Separate, Both };
    const char* name;
    const char* description;  // one sentence
    Arrangements arrangements;
    // Runs the check, recording what it does and measures in `records`. Throws CheckFailed,
    // CheckWarned, CheckSkipped, or HostError (a refusal of the host's, which fails the check).
    void (*run)(const CheckOptions& options, CheckRecords& records);
};

// Every check, in the order they run.
const std::vector<Check>& catalogue();

// The verdicts of one check's process, as its exit status. A crash and a hang of the plug-in end it
// with the faults' own statuses (faults/fault_reports.h).
inline constexpr int kPassed = 0;
inline constexpr int kFailed = 1;
inline constexpr int kSkipped = 77;
inline constexpr int kWarned = 78;

// The unit that measures a load cycle for the run's time limits, not a check, and its figure.
inline constexpr const char* kLoadCycleUnit = "measure:load-cycle";
inline constexpr const char* kSecondsPerLoadCycle = "seconds per load cycle";

// The unit that runs `check --replay`'s script, and the one that runs explored sessions:
// "explore:FIRST:COUNT". The figure the latter records as each session passes.
inline constexpr const char* kReplayUnit = "replay";
inline constexpr const char* kExploreUnit = "explore";
inline constexpr const char* kSessionsPassed = "sessions passed";

// The name a scenario check goes by: the script's file name without ".scenario".
std::string scenarioName(const std::string& script);

// Runs the unit `name` ("load/separate", "scenario:demo/one") in this process, recording what it
// finds and its verdict in `records`; returns the verdict as the exit status. For the program's
// hidden `check --run-one`.
int runOne(const std::string& name, CheckOptions options, const std::vector<std::string>& scenarios,
           CheckRecords& records);

}  // namespace host::check
