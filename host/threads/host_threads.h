// The threads on which the host calls into plug-ins, as a real host arranges them.
//
//   one       everything on the calling thread, one thing at a time (the default);
//   separate  a loader thread (getPlugin, onLoad, onUnload, the release function, closing the
//             module), a game thread (touches and their hooks, the clock, timers) and a render thread
//             (the settings window: AttachImGuiContext, DrawSettingsPanel, GetDisplayName, pictures).
//             The thread that drives the host (the console) hands each piece of work to the thread
//             that owns it and waits for it, so a script's output keeps its order.
//
// Threads: run() may be called from any thread; construction and destruction from the one that
// drives the host. Ownership: the object owns the threads; destroying it joins them, after the work
// already handed to them has run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "task_thread.h"

namespace host {

enum class ThreadMode { One, Separate };

// Reads "one" or "separate".
std::optional<ThreadMode> parseThreadMode(std::string_view text);

// Who owns a piece of the host's work.
enum class HostThread {
    Console,  // the thread that drives the host: output of its own, nothing of the plug-in's
    Loader,
    Game,
    Render,
};

class HostThreads {
public:
    explicit HostThreads(ThreadMode mode);
    ~HostThreads();
    HostThreads(const HostThreads&) = delete;
    HostThreads& operator=(const HostThreads&) = delete;

    ThreadMode mode() const { return mode_; }

    // Runs `task` on `owner` and waits for it; its exception, if any, is thrown here. Runs it at once
    // in `one` mode, for the console, and when called on `owner` already.
    void run(HostThread owner, const std::function<void()>& task);

    // The thread that owns `owner`'s work, for work handed over without waiting and for the game
    // clock's tick; null in `one` mode and for the console.
    TaskThread* thread(HostThread owner) const;

private:
    ThreadMode mode_;
    std::unique_ptr<TaskThread> loader_;
    std::unique_ptr<TaskThread> game_;
    std::unique_ptr<TaskThread> render_;
};

}  // namespace host
