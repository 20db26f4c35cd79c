// One thread of the host that runs the work handed to it, in the order it was handed: the loader,
// the game or the render thread. Optionally it also runs a tick at a fixed period while it has no
// other work (the game's clock in the live window).
//
// Threads: every member but the destructor may be called from any thread. Ownership: the object
// owns its thread; destroying it runs the work already handed to it, then joins the thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace host {

class TaskThread {
public:
    using Clock = std::chrono::steady_clock;

    // `name` says which thread this is in messages ("game").
    explicit TaskThread(std::string name);
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    const std::string& name() const { return name_; }
    // True when called from this object's thread.
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Runs `task` on this thread and waits until it has returned; an exception it throws is thrown
    // here again. Called from this thread itself, it runs `task` at once (no deadlock).
    void runAndWait(const std::function<void()>& task);
    // Hands `task` over and returns at once. A task handed over this way must not throw; if it does,
    // the exception is written to standard error with the thread's name, and the thread goes on.
    void post(std::function<void()> task);

    // From now on runs `tick` every `period` while no other work waits (the first one a period from
    // now); a late tick is run once, and the next one is due a period after it. An empty `tick`
    // stops ticking. When this returns, no tick of an earlier setting starts any more.
    void setTick(Clock::duration period, std::function<void()> tick);

private:
    void loop();

    std::string name_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::function<void()> tick_;
    Clock::duration period_{};
    Clock::time_point nextTick_{};
    std::thread thread_;  // last: it starts once everything above exists
};

}  // namespace host
