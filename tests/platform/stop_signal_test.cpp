// SIGINT and SIGTERM at the console: a signal caught just before the console waits for its next key
// ends that wait, instead of leaving the host waiting for a key that may never come.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include "platform/process.h"

TEST(StopSignal, CaughtBeforeTheWaitForInputEndsTheWait) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    host::catchStopSignals();
    std::raise(SIGTERM);
    EXPECT_FALSE(host::awaitInputOrStopSignal(ends[0])) << "the pipe is empty: only the signal ends the wait";
    host::takeStopSignal();
    ASSERT_EQ(::write(ends[1], "x", 1), 1);
    EXPECT_TRUE(host::awaitInputOrStopSignal(ends[0]));
    ::close(ends[0]);
    ::close(ends[1]);
}
