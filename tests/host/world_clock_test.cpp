// The game clock in whole microseconds: a delay counts at any time the clock can reach, and an
// advance it cannot make is refused without moving it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "pluginsdk/world.h"

namespace {

class WorldClock : public ::testing::Test {
protected:
    void addTimer(float delay, int tag) {
        world->addTimer(plugin->id, nullptr, [this, tag](GameWrapper*) { fired.push_back(tag); }, delay);
    }

    std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
    std::shared_ptr<pluginsdk::detail::PluginScope> plugin = world->addPlugin("Test");
    std::vector<int> fired;
};

TEST_F(WorldClock, TheTouchDelayCountsLateInTheGame) {
    // 8e12 s in: a clock in double precision steps by about a thousandth of a second there, and
    // would fire a 0.01 s delay after 0.0099 s.
    world->advanceClock(8e12);
    addTimer(0.01f, 1);
    world->advanceClock(0.0099);
    EXPECT_TRUE(fired.empty());
    world->advanceClock(0.0001);
    EXPECT_EQ(fired, std::vector<int>{1});
}

TEST_F(WorldClock, TimersFireInDueOrderAndTiesInTheOrderSet) {
    addTimer(0.02f, 1);
    addTimer(0.01f, 2);
    addTimer(0.01f, 3);
    addTimer(-1.0f, 4);  // overdue: fires at the next advance
    world->advanceClock(0.0);
    EXPECT_EQ(fired, std::vector<int>{4});
    world->advanceClock(0.01);
    EXPECT_EQ(fired, (std::vector<int>{4, 2, 3}));
    world->advanceClock(0.01);
    EXPECT_EQ(fired, (std::vector<int>{4, 2, 3, 1}));
}

TEST_F(WorldClock, ATinyPositiveDelayIsNotSwallowed) {
    addTimer(1e-12f, 1);
    world->advanceClock(0.0);
    EXPECT_TRUE(fired.empty());
    world->advanceClock(1e-6);
    EXPECT_EQ(fired, std::vector<int>{1});
}

TEST_F(WorldClock, ADelayThatNeverEndsNeverFires) {
    addTimer(std::numeric_limits<float>::quiet_NaN(), 1);
    addTimer(std::numeric_limits<float>::infinity(), 2);
    addTimer(1e30f, 3);
    world->advanceClock(9e12);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(world->pendingTimerCount(plugin->id), 3u);
}

TEST_F(WorldClock, AnAdvanceItCannotMakeIsRefusedAndTheClockStays) {
    world->advanceClock(1.5);
    for (const double seconds : {1e17, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(world->canAdvanceClock(seconds)) << seconds;
        EXPECT_THROW(world->advanceClock(seconds), std::out_of_range) << seconds;
        EXPECT_EQ(world->gameTicks(), 1'500'000);
    }
    // Up to the latest tick, and not one past it.
    const double toTheEnd = static_cast<double>(pluginsdk::World::kLatestTick - world->gameTicks()) / 1e6;
    EXPECT_TRUE(world->canAdvanceClock(toTheEnd / 2));
    EXPECT_FALSE(world->canAdvanceClock(toTheEnd * 1.01));
}

}  // namespace
