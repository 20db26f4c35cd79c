// The world's log is bounded however long the plug-in logs; `expect log` still matches exactly.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "console/command_interpreter.h"
#include "pluginsdk/world.h"
#include "session/host_session.h"

namespace {

// A copy: binding the class's constant to a reference would need it exported from the SDK library.
constexpr std::size_t kRecentLogLines = pluginsdk::World::kRecentLogLines;

TEST(WorldLog, KeepsOnlyTheMostRecentLines) {
    auto world = pluginsdk::World::create();
    auto plugin = world->addPlugin("Test");
    std::uint64_t heard = 0;
    world->setLogListener([&heard](const pluginsdk::LogLine&) { ++heard; });
    for (int i = 0; i < 200000; ++i) {
        world->log(*plugin, "line " + std::to_string(i));
    }
    EXPECT_EQ(heard, 200000u);
    EXPECT_EQ(world->loggedLineCount(), 200000u);
    ASSERT_EQ(world->recentLogLines().size(), kRecentLogLines);
    EXPECT_EQ(world->recentLogLines().front().text, "line 199000");
    EXPECT_EQ(world->recentLogLines().back().text, "line 199999");

    // The lines since a count: those logged after it, as far as they are still kept.
    world->log(*plugin, "new 1");
    world->log(*plugin, "new 2");
    const auto since = world->logLinesSince(200000);
    ASSERT_EQ(since.size(), 2u);
    EXPECT_EQ(since.front().text, "new 1");
    EXPECT_EQ(since.back().text, "new 2");
    EXPECT_TRUE(world->logLinesSince(200002).empty());
    EXPECT_TRUE(world->logLinesSince(300000).empty());  // a count from the future: nothing yet
    const auto longAgo = world->logLinesSince(0);
    ASSERT_EQ(longAgo.size(), kRecentLogLines);
    EXPECT_EQ(longAgo.back().text, "new 2");
}

// The plug-in logs "Trajectory zero" at each response while the trajectory is 0.
class ExpectLogAfterManyTouches : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* line : {"load", "quorvel_enabled_orange 1", "quorvel_trajectory 0", "ball 1 2 3"}) {
            interpreter.execute(line);
        }
    }
    void touches(int count) {
        for (int i = 0; i < count; ++i) {
            interpreter.execute("touch 1");
            interpreter.execute("wait 0.01");
        }
    }

    std::ostringstream out;
    host::HostSession session{QUORVEL_MODULE_PATH, out};
    host::CommandInterpreter interpreter{session};
};

TEST_F(ExpectLogAfterManyTouches, MatchesEachLineOnceWhateverTheWorldDropped) {
    touches(3000);
    for (int i = 0; i < 3000; ++i) {
        interpreter.execute("expect log Trajectory zero");
    }
    EXPECT_THROW(interpreter.execute("expect log Trajectory zero"), host::HostError);
    EXPECT_EQ(session.world().recentLogLines().size(), kRecentLogLines);
}

TEST_F(ExpectLogAfterManyTouches, AFailedExpectationNamesWhatWasLoggedBriefly) {
    touches(5);
    try {
        interpreter.execute("expect log something else");
        FAIL() << "the expectation should fail";
    } catch (const host::HostError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "expected the plug-in to log \"something else\" since the last 'expect log'; it logged "
                  "\"Trajectory zero\" (5 times)");
    }
}

}  // namespace

namespace {

TEST(ExpectLogMessage, NamesTheFirstLinesAndCountsTheRest) {
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out);
    host::CommandInterpreter interpreter(session);
    const auto plugin = session.world().addPlugin("Other");
    for (int i = 0; i < 30; ++i) {
        session.world().log(*plugin, "line " + std::to_string(i));
    }
    try {
        interpreter.execute("expect log missing");
        FAIL() << "the expectation should fail";
    } catch (const host::HostError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("\"line 19\" and 10 more lines"), std::string::npos) << message;
        EXPECT_EQ(message.find("line 20"), std::string::npos) << message;
    }
    interpreter.execute("expect log line 29");
}

}  // namespace
