// The C runtime clock as a loaded module sees it. The host points each module's import of the C
// function `time` at quorvelHostModuleTime, so a script can fix the clock that the module seeds its
// random generator from and every run gives the same deflections.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace host {

// From now on quorvelHostModuleTime returns `seconds`; an empty value lets it follow the real clock again.
// Process-wide: a module is loaded once per process.
void fixRuntimeClock(std::optional<std::int64_t> seconds);
// The fixed clock, or nothing while it follows the real one (to put it back as it was).
std::optional<std::int64_t> fixedRuntimeClock();

// The seconds the clock is fixed at, or nothing while it follows the real clock: a caller that fixes
// it for a while puts back what was there.
std::optional<std::int64_t> fixedRuntimeClock();

// Behaves as C's time: the seconds since 1970-01-01 UTC, also stored through `out` when not null.
extern "C" std::time_t quorvelHostModuleTime(std::time_t* out);

}  // namespace host
