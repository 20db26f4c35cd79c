#include "task_thread.h"

#include <exception>
#include <iostream>
#include <memory>
#include <utility>

#include "platform/process.h"
#include "pluginsdk/host_environment.h"

namespace host {

TaskThread::TaskThread(std::string name) : name_(std::move(name)), thread_([this] { loop(); }) {}

TaskThread::~TaskThread() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        tick_ = nullptr;
    }
    wake_.notify_all();
    thread_.join();
}

void TaskThread::runAndWait(const std::function<void()>& task) {
    if (isCurrent()) {
        task();
        return;
    }
    // The state both sides share, owned by both: the waiter may see `done` and return while the task's
    // thread is still inside the mutex's unlock, and winpthreads' unlock (MinGW's std::mutex) reads
    // the mutex's event after releasing it, so a handoff on the waiter's stack could be freed under it.
    struct Handoff {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::exception_ptr error;
    };
    const auto handoff = std::make_shared<Handoff>();
    post([&task, handoff] {
        std::exception_ptr error;
        try {
            task();
        } catch (...) {
            error = std::current_exception();
        }
        // Moved, not copied: only the waiter keeps a reference to the exception, so the waiter, which
        // reads it last, also frees it.
        const std::lock_guard lock(handoff->mutex);
        handoff->error = std::move(error);
        handoff->done = true;
        handoff->finished.notify_one();
    });
    std::unique_lock lock(handoff->mutex);
    handoff->finished.wait(lock, [&handoff] { return handoff->done; });
    // Taken out of the handoff, which the task's thread may be the last to let go of.
    if (const std::exception_ptr error = std::move(handoff->error)) {
        std::rethrow_exception(error);
    }
}

void TaskThread::post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void TaskThread::setTick(Clock::duration period, std::function<void()> tick) {
    // Set on the thread itself, between two pieces of its work, so no earlier tick is running.
    runAndWait([this, period, &tick] {
        const std::lock_guard lock(mutex_);
        tick_ = std::move(tick);
        period_ = period;
        nextTick_ = Clock::now() + period;
    });
}

void TaskThread::loop() {
    keepStopSignalsOff();
    pluginsdk::adoptHostEnvironment();
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!tasks_.empty()) {
            std::function<void()> task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            try {
                task();
            } catch (const std::exception& error) {
                std::cerr << "quorvel-host: the " << name_ << " thread's task failed: " << error.what() << '\n';
            } catch (...) {
                std::cerr << "quorvel-host: the " << name_ << " thread's task failed\n";
            }
            task = nullptr;
            lock.lock();
            continue;
        }
        if (stopping_) {
            return;
        }
        if (!tick_) {
            wake_.wait(lock);
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (now < nextTick_) {
            wake_.wait_until(lock, nextTick_);
            continue;
        }
        nextTick_ = now + period_;
        std::function<void()> tick = tick_;
        lock.unlock();
        try {
            tick();
        } catch (const std::exception& error) {
            std::cerr << "quorvel-host: the " << name_ << " thread's tick failed: " << error.what() << '\n';
        } catch (...) {
            std::cerr << "quorvel-host: the " << name_ << " thread's tick failed\n";
        }
        tick = nullptr;
        lock.lock();
    }
}

}  // namespace host
