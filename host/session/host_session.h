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
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "config/saved_settings.h"
#include "host_error.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"
#include "threads/host_threads.h"

namespace host {

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

    // From now on variables the plug-in registers take their values from `settings`, and unload
    // saves them there. Call before the first load; `settings` must outlive the session.
    void useSavedSettings(SavedSettings& settings);
    // Writes every variable's value to the saved settings, if the session has any. Returns why that
    // failed, or nothing.
    std::optional<std::string> saveSettings();

    // How long a plug-in call may run (--plugin-timeout), and with it the static set-up of a module
    // tried in a child process before it is loaded; 0: no limit. The watch over the host's own
    // calls is the program's (faults/fault_reports.h).
    void setPluginTimeout(double seconds) { pluginTimeout_ = seconds; }

    // Loads the module the way the real host does, on the loader thread. Throws HostError.
    void load();
    // Unloads the module, if one is loaded: onUnload, drop the plug-in's hooks and timers, cut its
    // handles off, call its release function, close the module. The unload always completes;
    // throws HostError afterwards if a plug-in entry point threw on the way.
    // Then saves the settings; a failed save is thrown the same way, after the unload.
    void unload();
    // Loads the module file again in place of the loaded plug-in. The file is checked first: one
    // that is refused leaves the loaded plug-in as it was, and the refusal is thrown. Then the
    // plug-in is unloaded and the checked file loaded; the variables live in the world, so they
    // keep their values. Throws HostError if that load fails (nothing is loaded then) or if saving
    // at the unload failed (after loading).
    void reload();
    bool loaded() const { return plugin_ != nullptr; }
    // If the plug-in's own code released it (it called deleteMe, which was reported as a failure
    // of the entry point that did it), unloads what is left of it, on the loader thread.
    void unloadIfReleased();
    // The loaded plug-in; throws HostError if none is loaded.
    LoadedPlugin& plugin();

    // Called with each line the plug-in logs, after it is printed, on the thread that logs it;
    // null to stop. One observer at a time (the console interpreter, which remembers what `expect
    // log` can still match). Set it while no plug-in code runs.
    void setLogObserver(std::function<void(const pluginsdk::LogLine&)> observer);

    // Plug-in callbacks that threw since the last call, as messages; clears them. Any thread.
    std::vector<std::string> takeCallbackFailures();

    // Called with each SDK call the plug-in makes (pluginsdk/sdk_call.h), the lines it logs
    // included, on the thread that makes it, one call at a time, until removed; it must not call
    // the SDK itself. The number returned removes it. Any number of observers (the console's
    // `trace`, the live window's layout, a check's records); add and remove them from the thread
    // that drives the session, at any time: a call under way reaches the observers it began with.
    using SdkCallObserver = std::function<void(const pluginsdk::SdkCall&)>;
    int addSdkCallObserver(SdkCallObserver observer);
    void removeSdkCallObserver(int observer);

    // The plug-in unloaded last (by unload or reload): its identity in the world, and how many
    // hooks and timers it tried to set once its unload had cut it off (from its destructors or its
    // module's static clean-up), which the host refused. Nothing before the first unload.
    struct UnloadedPlugin {
        pluginsdk::PluginId id = 0;
        std::uint32_t refusedOnceCut = 0;
    };
    std::optional<UnloadedPlugin> lastUnloaded() const { return lastUnloaded_; }

private:
    // Unloads the module, then removes the copy it was loaded from, on the loader thread. Returns
    // what the plug-in did wrong on the way, or nothing.
    std::optional<std::string> unloadPlugin();
    // load() and unloadPlugin() on the thread that runs them.
    void loadHere(CheckedModule module);
    std::optional<std::string> unloadPluginHere();
    // Gives the world a trace listener that calls the observers there are now, or none.
    void listenToSdkCalls();

    std::string modulePath_;
    std::ostream& out_;
    std::shared_ptr<pluginsdk::World> world_;
    std::unique_ptr<LoadedPlugin> plugin_;
    std::mutex failuresMutex_;
    std::vector<std::string> callbackFailures_;
    std::function<void(const pluginsdk::LogLine&)> logObserver_;
    std::map<int, SdkCallObserver> sdkCallObservers_;
    int nextSdkCallObserver_ = 1;
    std::optional<UnloadedPlugin> lastUnloaded_;
    SavedSettings* savedSettings_ = nullptr;
    double pluginTimeout_ = kDefaultPluginTimeoutSeconds;
    // Last: its threads stop before anything they might still use goes.
    HostThreads threads_;
};

}  // namespace host
