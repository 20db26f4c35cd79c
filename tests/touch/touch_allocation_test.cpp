// Heap allocations per touch, counted by this program's own global operator new, which serves the
// host, the SDK library and the loaded module alike. Counts are deterministic where times are not,
// so a change that adds an allocation to the path of a touch fails here.
//
// Only allocations inside the measured loop count: the module is loaded and a few touches run
// first, so one-time growth (the world's containers, lazily built state) is over before counting.
#include <gtest/gtest.h>

#include <cstdint>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "counting_operator_new.h"
#include "module_in_world.h"
#include "pluginsdk/world.h"

namespace quorvel_test {
namespace {

constexpr std::int64_t kClock = 1;
constexpr int kWarmUpTouches = 50;
constexpr int kMeasuredTouches = 1000;
constexpr Vector kTouchVelocity{1000.0f, -500.0f, 200.0f};

// Allocations made by kMeasuredTouches orange touches and their firings, each touch giving the ball
// the same velocity, so every firing takes the same path.
std::uint64_t allocationsOverMeasuredTouches(ModuleInWorld& module) {
    const auto touch = [&module] {
        module.world().touchBall(1, kTouchVelocity);
        module.fire();
    };
    for (int i = 0; i < kWarmUpTouches; ++i) {
        touch();
    }
    const std::uint64_t before = heapAllocationsSoFar();
    for (int i = 0; i < kMeasuredTouches; ++i) {
        touch();
    }
    return heapAllocationsSoFar() - before;
}

TEST(TouchAllocations, SwitchedOnDeflectingTouch) {
    ModuleInWorld module(kClock);
    module.setNumber("quorvel_enabled_orange", 1.0f);
    module.setNumber("quorvel_factor", 0.5f);
    module.setNumber("quorvel_trajectory", 10.0f);

    const std::uint64_t counted = allocationsOverMeasuredTouches(module);

    // The response ran: the ball is slower than the touch left it.
    EXPECT_EQ(module.world().pendingTimerCount(module.pluginId()), 0u);
    EXPECT_LT(module.ball().velocity.X, kTouchVelocity.X);
    // Four per touch. Three are the plug-in's, forced by the SDK's signatures: the timer's closure
    // (a function object holding a ball handle) and, for the look-ups, the names
    // quorvel_enabled_orange and quorvel_trajectory, longer than a string's inline buffer. One is
    // the host's, forced by the hook's signature too: the event's name, which the callback takes by
    // value and which is longer than the inline buffer. The host copies no list and keeps its
    // timers in storage it reuses, and builds the trace text of an SDK call only while someone
    // listens.
    constexpr std::uint64_t kPerTouch = 4;
    EXPECT_EQ(counted, kPerTouch * kMeasuredTouches);
}

TEST(TouchAllocations, SwitchedOffTouch) {
    ModuleInWorld module(kClock);

    const std::uint64_t counted = allocationsOverMeasuredTouches(module);

    EXPECT_EQ(module.world().pendingTimerCount(module.pluginId()), 0u);
    EXPECT_EQ(module.ball().velocity, kTouchVelocity);
    // A switched-on touch's allocations but the trajectory's name, looked up only when switched on.
    constexpr std::uint64_t kPerTouch = 3;
    EXPECT_EQ(counted, kPerTouch * kMeasuredTouches);
}

// The world's own share, without a module: hooks of an event whose name fits a string's inline
// buffer, and timers whose callbacks fit a function object's, so that the callbacks themselves
// allocate nothing. Once the world's containers have grown, running the hooks and setting and
// firing many timers at once, due out of order, allocates nothing.
TEST(WorldAllocations, HooksAndTimersAllocateNothingOnceGrown) {
    const auto world = pluginsdk::World::create();
    const auto plugin = world->addPlugin("Test");
    int hookRuns = 0;
    int timersFired = 0;
    for (int i = 0; i < 3; ++i) {
        world->addPostHook(plugin->id, "Event", [&hookRuns](BallWrapper, void*, std::string) { ++hookRuns; });
    }
    world->ensureBall();
    const BallWrapper ball(world->ball());
    constexpr int kTimers = 64;
    const auto round = [&] {
        world->runPostHooks("Event", ball);
        for (int i = 0; i < kTimers; ++i) {
            const float delay = static_cast<float>((i * 37) % 16) / 1000.0f;  // out of order, four each
            world->addTimer(plugin->id, nullptr, [&timersFired](GameWrapper*) { ++timersFired; }, delay);
        }
        world->advanceClock(0.1);
    };
    round();
    const std::uint64_t before = heapAllocationsSoFar();
    constexpr int kRounds = 100;
    for (int i = 0; i < kRounds; ++i) {
        round();
    }
    const std::uint64_t allocations = heapAllocationsSoFar() - before;

    EXPECT_EQ(hookRuns, 3 * (kRounds + 1));
    EXPECT_EQ(timersFired, kTimers * (kRounds + 1));
    EXPECT_EQ(allocations, 0u);
}

}  // namespace
}  // namespace quorvel_test
