// The module's C runtime clock: a fixed time can be read back and put back, as a caller that fixes
// it for a while (a fuzz run, a script) must leave it as it found it.
#include <gtest/gtest.h>

#include "platform/runtime_clock.h"

namespace quorvel_test {
namespace {

TEST(RuntimeClock, AFixedTimeIsReadBackAndTheRealClockComesBack) {
    host::fixRuntimeClock(1234);
    EXPECT_EQ(host::fixedRuntimeClock(), std::optional<std::int64_t>(1234));
    EXPECT_EQ(host::quorvelHostModuleTime(nullptr), 1234);
    host::fixRuntimeClock(std::nullopt);
    EXPECT_EQ(host::fixedRuntimeClock(), std::nullopt);
}

}  // namespace
}  // namespace quorvel_test
