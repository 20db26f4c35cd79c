// The world's event hooks: run in the order added, each with the event's name; a hook added while
// hooks run waits for the next event; a plug-in dropped while hooks run, on this thread or another,
// has none of its hooks run from then on, and its callbacks are gone once dropPlugin returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "pluginsdk/world.h"

namespace {

using pluginsdk::World;

class WorldHooks : public ::testing::Test {
protected:
    // Adds a hook of `plugin` for `event` that records `tag` and the name it was called with, then
    // does `then`.
    void addHook(pluginsdk::PluginId plugin, const std::string& event, std::string tag,
                 std::function<void()> then = nullptr) {
        world->addPostHook(plugin, event, [this, tag, then](BallWrapper, void*, std::string eventName) {
            ran.push_back(tag + "@" + eventName);
            if (then) {
                then();
            }
        });
    }
    void runHooks(const std::string& event) { world->runPostHooks(event, BallWrapper(world->ball())); }

    std::shared_ptr<World> world = World::create();
    std::shared_ptr<pluginsdk::detail::PluginScope> first = world->addPlugin("First");
    std::shared_ptr<pluginsdk::detail::PluginScope> second = world->addPlugin("Second");
    std::vector<std::string> ran;
};

TEST_F(WorldHooks, RunInTheOrderAddedForTheirEventOnlyWithItsName) {
    addHook(first->id, "Function A", "1");
    addHook(second->id, "Function B", "2");
    addHook(second->id, "Function A", "3");
    addHook(first->id, "Function A", "4");
    runHooks("Function A");
    EXPECT_EQ(ran, (std::vector<std::string>{"1@Function A", "3@Function A", "4@Function A"}));
    ran.clear();
    runHooks("Function B");
    EXPECT_EQ(ran, std::vector<std::string>{"2@Function B"});
    ran.clear();
    runHooks("Function C");
    EXPECT_TRUE(ran.empty());
}

TEST_F(WorldHooks, AHookAddedWhileHooksRunWaitsForTheNextEvent) {
    bool added = false;
    addHook(first->id, "E", "1", [&] {
        if (!added) {
            added = true;
            addHook(second->id, "E", "new");
        }
    });
    addHook(second->id, "E", "2");
    runHooks("E");
    EXPECT_EQ(ran, (std::vector<std::string>{"1@E", "2@E"}));
    ran.clear();
    runHooks("E");
    EXPECT_EQ(ran, (std::vector<std::string>{"1@E", "2@E", "new@E"}));
    EXPECT_EQ(world->hookCount(second->id), 2u);
}

// The host may drop a plug-in from a callback of another (never from one of the plug-in's own).
// The dropped plug-in's hooks that have not run yet do not run, and the drop does not wait for them.
TEST_F(WorldHooks, APlugInDroppedByAnEarlierHookHasItsLaterHooksSkipped) {
    addHook(first->id, "E", "1", [&] { world->dropPlugin(second->id); });
    addHook(second->id, "E", "2");
    addHook(first->id, "E", "3");
    runHooks("E");
    EXPECT_EQ(ran, (std::vector<std::string>{"1@E", "3@E"}));
    EXPECT_EQ(world->hookCount(second->id), 0u);
    EXPECT_EQ(world->hookCount(first->id), 2u);
}

// The loader thread drops a plug-in while the game thread runs hooks: its hook further down the
// list does not run, and the game thread's other hooks do.
TEST_F(WorldHooks, APlugInDroppedOnAnotherThreadWhileHooksRunHasItsLaterHooksSkipped) {
    std::thread loader;
    addHook(first->id, "E", "1", [&] {
        loader = std::thread([this] { world->dropPlugin(second->id); });
        while (world->hookCount(second->id) != 0) {
            std::this_thread::yield();
        }
    });
    addHook(second->id, "E", "2");
    addHook(first->id, "E", "3");
    runHooks("E");
    loader.join();
    EXPECT_EQ(ran, (std::vector<std::string>{"1@E", "3@E"}));
}

// A plug-in dropped while its own hook runs on another thread: dropPlugin waits for the hook to
// return, and by the time it returns the hook's callback, with what it holds, is destroyed.
TEST_F(WorldHooks, APlugInDroppedWhileItsHookRunsLosesTheCallbackBeforeTheDropReturns) {
    const auto held = std::make_shared<int>(0);
    std::atomic<bool> started{false};
    std::mutex mutex;
    bool dropReturned = false;
    bool dropReturnedWhileRunning = false;
    world->addPostHook(second->id, "E", [&, held](BallWrapper, void*, std::string) {
        started = true;
        // dropPlugin marks the hook dropped before it waits; from then on it may return early.
        while (world->hookCount(second->id) != 0) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // an early return's chance to show
        const std::lock_guard lock(mutex);
        dropReturnedWhileRunning = dropReturned;
    });
    std::thread game([this] { runHooks("E"); });
    while (!started) {
        std::this_thread::yield();
    }
    world->dropPlugin(second->id);
    const long heldAfterDrop = held.use_count();
    {
        const std::lock_guard lock(mutex);
        dropReturned = true;
    }
    game.join();
    EXPECT_FALSE(dropReturnedWhileRunning);
    EXPECT_EQ(heldAfterDrop, 1);
    EXPECT_EQ(world->hookCount(second->id), 0u);
}

}  // namespace
