// What `expect log` can still match: the lines after the last match, in order, whatever was dropped.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "console/unmatched_log.h"

namespace {

TEST(UnmatchedLog, AMatchDropsTheLineAndEverythingBeforeIt) {
    host::UnmatchedLog log;
    log.add("a");
    log.add("b");
    log.add("c");
    log.add("b");
    EXPECT_TRUE(log.match("b"));  // the first "b"; "a" goes with it
    EXPECT_FALSE(log.match("a"));
    EXPECT_TRUE(log.match("b"));  // the second, after "c"
    EXPECT_FALSE(log.match("c"));
    EXPECT_TRUE(log.runs().empty());
}

TEST(UnmatchedLog, ANoMatchChangesNothing) {
    host::UnmatchedLog log;
    log.add("a");
    log.add("b");
    EXPECT_FALSE(log.match("z"));
    EXPECT_TRUE(log.match("a"));
    EXPECT_TRUE(log.match("b"));
}

TEST(UnmatchedLog, RepeatsInARowAreOneRunThatMatchesOneLineAtATime) {
    host::UnmatchedLog log;
    for (int i = 0; i < 200000; ++i) {
        log.add("Trajectory zero");
    }
    log.add("other");
    ASSERT_EQ(log.runs().size(), 2u);
    EXPECT_EQ(log.runs().front().count, 200000u);
    EXPECT_TRUE(log.match("Trajectory zero"));
    EXPECT_EQ(log.runs().front().count, 199999u);
    // Matching a later line drops the whole run before it.
    EXPECT_TRUE(log.match("other"));
    EXPECT_FALSE(log.match("Trajectory zero"));
}

TEST(UnmatchedLog, TheLastLineOfARunMatchedLeavesTheNextRun) {
    host::UnmatchedLog log;
    log.add("x");
    log.add("y");
    log.add("y");
    EXPECT_TRUE(log.match("x"));
    EXPECT_TRUE(log.match("y"));
    EXPECT_TRUE(log.match("y"));
    EXPECT_FALSE(log.match("y"));
}

// A plug-in that logs a different line at each touch must not grow the host with every touch.
TEST(UnmatchedLog, OnlyTheLatestRunsAreKeptAndTheForgottenOnesCounted) {
    host::UnmatchedLog log;
    const std::size_t extra = 5;
    log.add("first");
    log.add("first");
    for (std::size_t i = 1; i < host::UnmatchedLog::kKeptRuns + extra; ++i) {
        log.add("line " + std::to_string(i));
    }
    ASSERT_EQ(log.runs().size(), host::UnmatchedLog::kKeptRuns);
    // "first" twice, then lines 1..4.
    EXPECT_EQ(log.forgottenLines(), 2u + (extra - 1));
    EXPECT_EQ(log.runs().front().text, "line " + std::to_string(extra));
    EXPECT_FALSE(log.match("first"));
    EXPECT_FALSE(log.match("line 1"));
    EXPECT_EQ(log.forgottenLines(), 2u + (extra - 1));  // a failed match changes nothing
    // The forgotten lines came before any kept one, so a match drops them with the rest.
    EXPECT_TRUE(log.match("line " + std::to_string(extra + 1)));
    EXPECT_EQ(log.forgottenLines(), 0u);
    EXPECT_EQ(log.runs().size(), host::UnmatchedLog::kKeptRuns - 2);
}

// Repeats of the kept run's line go on counting however many runs came before.
TEST(UnmatchedLog, ARepeatOfTheLastLineStaysInItsRunWhenTheLogIsFull) {
    host::UnmatchedLog log;
    for (std::size_t i = 0; i < host::UnmatchedLog::kKeptRuns; ++i) {
        log.add("line " + std::to_string(i));
    }
    log.add("line " + std::to_string(host::UnmatchedLog::kKeptRuns - 1));
    EXPECT_EQ(log.forgottenLines(), 0u);
    EXPECT_EQ(log.runs().back().count, 2u);
}

}  // namespace
