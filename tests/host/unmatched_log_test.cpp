// What `expect log` can still match: the lines after the last match, in order, whatever was dropped.
#include <gtest/gtest.h>

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

}  // namespace
