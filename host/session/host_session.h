// One run of the stand-in host: the world, the module it loads, and where its output goes.
// The console language, the settings window and the tests all drive the host through a session.
//
// Threads: the session is driven from one thread (the console's or the window's); it hands loading
// and unloading to the loader thread of its thread arrangement (HostThreads) itself, and callers
// hand the rest of their work to the owning thread through threads(). Plug-in log lines reach `out`
// from whichever thread logs them, one whole line at a time. Ownership: the session owns the world,
// the loaded module and the threads; destroying it unloads the module first, on the loader thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "../loader/loaded_plugin.h"
#include "../pluginsdk/world.h"
#include "../threads/host_threads.h"

namespace host {

// Something the user asked for that cannot be done; the message says what and why.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HostSession {
public:
    // `out` receives the plug-in's log lines as "[Name] TEXT", as they are logged.
    HostSession(std::string modulePath, std::ostream& out, ThreadMode threads = ThreadMode::One);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    pluginsdk::World& world() { return *world_; }
    const std::string& modulePath() const { return modulePath_; }
    std::ostream& out() { return out_; }
    HostThreads& threads() { return threads_; }

    // Loads the module the way the real host does, on the loader thread. Throws CommandError.
    void load();
    // Unloads the module, if one is loaded, on the loader thread: onUnload, drop the plug-in's hooks
    // and timers, cut its handles off, call its release function, close the module. The unload
    // always completes; throws CommandError afterwards if a plug-in entry point threw on the way.
    void unload();
    bool loaded() const { return plugin_ != nullptr; }
    // The loaded plug-in; throws CommandError if none is loaded.
    LoadedPlugin& plugin();

    // Called with each line the plug-in logs, after it is printed, on the thread that logs it;
    // null to stop. One observer at a time (the console interpreter, which remembers what `expect
    // log` can still match). Set it while no plug-in code runs.
    void setLogObserver(std::function<void(const pluginsdk::LogLine&)> observer);

    // Plug-in callbacks that threw since the last call, as messages; clears them. Any thread.
    std::vector<std::string> takeCallbackFailures();

private:
    std::string modulePath_;
    std::ostream& out_;
    std::shared_ptr<pluginsdk::World> world_;
    std::unique_ptr<LoadedPlugin> plugin_;
    std::mutex failuresMutex_;
    std::vector<std::string> callbackFailures_;
    std::function<void(const pluginsdk::LogLine&)> logObserver_;
    // Last: its threads stop before anything they might still use goes.
    HostThreads threads_;
};

}  // namespace host
