// One run of the stand-in host: the world, the module it loads, and where its output goes.
// The console language, the settings window and the tests all drive the host through a session.
//
// Threads: one thread. Ownership: the session owns the world and the loaded module; destroying the
// session unloads the module first.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host_error.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"

namespace host {

class HostSession {
public:
    // `out` receives the plug-in's log lines as "[Name] TEXT", as they are logged.
    HostSession(std::string modulePath, std::ostream& out);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    pluginsdk::World& world() { return *world_; }
    const std::string& modulePath() const { return modulePath_; }
    std::ostream& out() { return out_; }

    // Loads the module the way the real host does. Throws HostError.
    void load();
    // Unloads the module, if one is loaded: onUnload, drop the plug-in's hooks and timers, cut its
    // handles off, call its release function, close the module. The unload always completes;
    // throws HostError afterwards if a plug-in entry point threw on the way.
    void unload();
    bool loaded() const { return plugin_ != nullptr; }
    // The loaded plug-in; throws HostError if none is loaded.
    LoadedPlugin& plugin();

    // Called with each line the plug-in logs, after it is printed; null to stop. One observer at a
    // time (the console interpreter, which remembers what `expect log` can still match).
    void setLogObserver(std::function<void(const pluginsdk::LogLine&)> observer);

    // Plug-in callbacks that threw since the last call, as messages; clears them.
    std::vector<std::string> takeCallbackFailures();

private:
    std::string modulePath_;
    std::ostream& out_;
    std::shared_ptr<pluginsdk::World> world_;
    std::unique_ptr<LoadedPlugin> plugin_;
    std::vector<std::string> callbackFailures_;
    std::function<void(const pluginsdk::LogLine&)> logObserver_;
};

}  // namespace host
