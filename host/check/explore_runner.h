// `check --explore N` and `check --replay FILE` as the runner runs them. Explored sessions
// (explore_scripts.h) run many to a process while they pass; the first that does not is run again
// alone, in a process of its own, to confirm what it does, then shrunk to the fewest lines that
// still do the same, each candidate in a process of its own, and written to a file in the current
// folder that `check --replay` runs.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "check_runner.h"

namespace host::check {

// [runner] Runs the unit `name` in a process of its own, with `words` more on its command line,
// and returns its result.
using UnitProcess = std::function<UnitResult(const std::string& name, const std::vector<std::string>& words)>;

// [runner] The sessions of `check --explore`, as one result named "explore": a PASS; a WARN for a
// session that did not pass among others but did alone; or the first session confirmed alone, its
// verdict and message, with the shrunk script in the details and the command that replays it.
// `folder` is the run's own, for the scripts; progress goes to `out` as it is made.
std::vector<UnitResult> exploreSessions(const RunOptions& options, const UnitProcess& run, const std::string& folder,
                                        std::ostream& out);

// [runner] `check --replay`'s script, run as a session is: one result named "replay".
UnitResult replayScript(const RunOptions& options, const UnitProcess& run);

}  // namespace host::check
