// How long a long-running test runs: its default, or a count given in the environment for a longer
// run by hand (a soak of a million cycles, say), without a rebuild.
#pragma once

namespace quorvel_test {

// The whole positive number in environment variable `variable`; `fallback` when it is unset, not
// a whole positive number, or too large for a long.
long countFromEnvironment(const char* variable, long fallback);

}  // namespace quorvel_test
