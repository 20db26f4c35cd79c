// The host's worker threads: work runs on the worker, in order, and what it throws comes back.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "threads/host_threads.h"
#include "threads/task_thread.h"

namespace {

TEST(TaskThread, RunsWorkOnItsOwnThreadInTheOrderHandedOver) {
    host::TaskThread worker("test");
    std::vector<int> order;
    std::thread::id ranOn;
    for (int i = 0; i < 5; ++i) {
        worker.post([&order, i] { order.push_back(i); });
    }
    worker.runAndWait([&] {
        ranOn = std::this_thread::get_id();
        order.push_back(5);
    });
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(TaskThread, AnExceptionComesBackToTheWaiterAndTheThreadGoesOn) {
    host::TaskThread worker("test");
    try {
        worker.runAndWait([] { throw std::runtime_error("refused"); });
        ADD_FAILURE() << "the exception did not come back";
    } catch (const std::runtime_error& error) {
        // Read on this thread while the worker goes on: the worker must hold no reference to it.
        EXPECT_STREQ(error.what(), "refused");
    }
    bool ran = false;
    worker.runAndWait([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(TaskThread, WorkHandedOverFromItsOwnThreadRunsAtOnce) {
    host::TaskThread worker("test");
    int depth = 0;
    worker.runAndWait([&] {
        worker.runAndWait([&] { depth = 2; });  // would wait for itself if queued
    });
    EXPECT_EQ(depth, 2);
}

TEST(TaskThread, TicksUntilTheTickIsCleared) {
    host::TaskThread worker("test");
    std::mutex mutex;
    std::condition_variable ticked;
    int ticks = 0;
    worker.setTick(std::chrono::milliseconds(1), [&] {
        const std::lock_guard lock(mutex);
        ++ticks;
        ticked.notify_all();
    });
    {
        std::unique_lock lock(mutex);
        ticked.wait(lock, [&] { return ticks >= 3; });
    }
    worker.setTick({}, nullptr);
    int afterClearing = 0;
    {
        const std::lock_guard lock(mutex);
        afterClearing = ticks;
    }
    // Work queued behind the clearing runs, and no tick comes between.
    for (int i = 0; i < 20; ++i) {
        worker.runAndWait([] { std::this_thread::yield(); });
    }
    const std::lock_guard lock(mutex);
    EXPECT_EQ(ticks, afterClearing);
}

TEST(HostThreads, OneModeRunsEverythingOnTheCallingThread) {
    host::HostThreads threads(host::ThreadMode::One);
    for (const host::HostThread owner :
         {host::HostThread::Console, host::HostThread::Loader, host::HostThread::Game, host::HostThread::Render}) {
        std::thread::id ranOn;
        threads.run(owner, [&ranOn] { ranOn = std::this_thread::get_id(); });
        EXPECT_EQ(ranOn, std::this_thread::get_id());
        EXPECT_EQ(threads.thread(owner), nullptr);
    }
}

TEST(HostThreads, SeparateModeGivesLoaderGameAndRenderThreadsOfTheirOwn) {
    host::HostThreads threads(host::ThreadMode::Separate);
    std::vector<std::thread::id> seen;
    for (const host::HostThread owner : {host::HostThread::Loader, host::HostThread::Game, host::HostThread::Render}) {
        threads.run(owner, [&] {
            seen.push_back(std::this_thread::get_id());
            EXPECT_TRUE(threads.thread(owner)->isCurrent());
        });
    }
    std::thread::id console;
    threads.run(host::HostThread::Console, [&console] { console = std::this_thread::get_id(); });
    EXPECT_EQ(console, std::this_thread::get_id());
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    EXPECT_NE(seen[0], seen[2]);
    EXPECT_NE(seen[0], console);
}

TEST(HostThreads, ReadsTheModeByName) {
    EXPECT_EQ(host::parseThreadMode("one"), host::ThreadMode::One);
    EXPECT_EQ(host::parseThreadMode("separate"), host::ThreadMode::Separate);
    EXPECT_FALSE(host::parseThreadMode("Separate"));
    EXPECT_FALSE(host::parseThreadMode(""));
}

}  // namespace
