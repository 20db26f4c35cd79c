// The game clock in whole microseconds: a delay counts at any time the clock can reach, and an
// advance it cannot make is refused without moving it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <utility>
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

// Many timers pending at once, due out of the order they were set and with ties.
TEST_F(WorldClock, ManyTimersFireInDueOrderAndTiesInTheOrderSet) {
    std::vector<std::pair<int, int>> dueAndTag;
    for (int tag = 0; tag < 200; ++tag) {
        const int dueMilliseconds = (tag * 37) % 23 + 1;
        addTimer(static_cast<float>(dueMilliseconds) / 1000.0f, tag);
        dueAndTag.emplace_back(dueMilliseconds, tag);
    }
    std::sort(dueAndTag.begin(), dueAndTag.end());  // by due time, then by the order set
    std::vector<int> expected;
    for (const auto& [due, tag] : dueAndTag) {
        expected.push_back(tag);
    }
    world->advanceClock(0.05);
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(world->pendingTimerCount(plugin->id), 0u);
}

TEST_F(WorldClock, ATimerSetByAFiringWaitsForItsTimeOrWithoutDelayForTheNextGameTick) {
    // At 10 ms timer 1 fires and sets 5 (no delay: due at the next tick, 16.667 ms) and 6 (due at
    // 15 ms, as 3 is, and behind it).
    world->addTimer(
        plugin->id, nullptr,
        [this](GameWrapper*) {
            fired.push_back(1);
            addTimer(0.0f, 5);
            addTimer(0.005f, 6);
        },
        0.01f);
    addTimer(0.01f, 2);
    addTimer(0.015f, 3);
    addTimer(0.02f, 4);
    world->advanceClock(0.1);
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 3, 6, 5, 4}));
}

TEST_F(WorldClock, ATimerThatSetsItselfAgainWithoutDelayFiresOncePerGameTick) {
    std::function<void(GameWrapper*)> again = [this, &again](GameWrapper*) {
        fired.push_back(0);
        world->addTimer(plugin->id, nullptr, again, 0.0f);
    };
    world->addTimer(plugin->id, nullptr, again, 0.0f);
    world->advanceClock(0.5);
    // Once at 0, then at each of the 60 ticks up to 0.5 s.
    EXPECT_EQ(fired.size(), 61u);
    EXPECT_EQ(world->gameTicks(), 500'000);
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
