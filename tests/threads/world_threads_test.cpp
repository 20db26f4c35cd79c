// The SDK library's world used from several threads at once, as the host's loader, game and render
// threads use it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "bakkesmod/wrappers/game_wrapper.h"
#include "pluginsdk/world.h"

namespace {

using pluginsdk::World;

// A plug-in is unloaded while one of its timers runs on the game thread. The host destroys the
// plug-in once dropPlugin returns, so it must not return before the timer does; and what the timer
// sets meanwhile must not outlive the plug-in.
TEST(WorldAcrossThreads, DroppingAPluginWaitsForItsRunningCallback) {
    const auto world = World::create();
    const auto scope = world->addPlugin("Test");
    GameWrapper game(scope);
    game.HookEventWithCallerPost<BallWrapper>("Function Test.Marker", [](BallWrapper, void*, std::string) {});

    std::mutex mutex;
    std::condition_variable dropped;
    bool dropReturned = false;
    bool dropReturnedWhileRunning = false;
    std::promise<void> started;
    bool lateTimerRan = false;
    game.SetTimeout(
        [&](GameWrapper* self) {
            started.set_value();
            // dropPlugin takes the hooks away before it waits; from then on it may return early.
            while (world->hookCount(scope->id) != 0) {
                std::this_thread::yield();
            }
            {
                // Give an early return every chance to show (no result depends on the time).
                std::unique_lock lock(mutex);
                dropped.wait_for(lock, std::chrono::milliseconds(200), [&] { return dropReturned; });
                dropReturnedWhileRunning = dropReturned;
            }
            self->SetTimeout([&lateTimerRan](GameWrapper*) { lateTimerRan = true; }, 0.0f);
        },
        0.5f);

    std::thread gameThread([&world] { world->advanceClock(1.0); });
    started.get_future().wait();
    std::thread loaderThread([&] {
        world->dropPlugin(scope->id);
        const std::lock_guard lock(mutex);
        dropReturned = true;
        dropped.notify_all();
    });
    loaderThread.join();
    gameThread.join();

    EXPECT_FALSE(dropReturnedWhileRunning);
    EXPECT_EQ(world->pendingTimerCount(scope->id), 0u);
    world->advanceClock(1.0);
    EXPECT_FALSE(lateTimerRan);
}

// Plug-ins log from the loader, game and render threads at once; each line reaches the host's
// listener whole, and every line arrives.
TEST(WorldAcrossThreads, LinesLoggedFromSeveralThreadsArriveWholeAndAll) {
    const auto world = World::create();
    std::ostringstream out;
    world->setLogListener([&out](const pluginsdk::LogLine& line) {
        out << '[' << line.pluginName << "] " << line.text << '\n';
    });
    const auto scope = world->addPlugin("Test");
    constexpr int kThreads = 3;
    constexpr int kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&scope, t] {
            CVarManagerWrapper console(scope);
            for (int i = 0; i < kLines; ++i) {
                console.log("thread " + std::to_string(t) + " line " + std::to_string(i));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::istringstream lines(out.str());
    std::string line;
    int next[kThreads] = {};
    int count = 0;
    while (std::getline(lines, line)) {
        int thread = -1;
        int number = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "[Test] thread %d line %d", &thread, &number), 2) << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        // Each thread's lines in the order it logged them.
        EXPECT_EQ(number, next[thread]++) << line;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
    EXPECT_EQ(world->loggedLineCount(), static_cast<std::uint64_t>(kThreads * kLines));
}

}  // namespace
