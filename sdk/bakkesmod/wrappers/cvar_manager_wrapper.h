// CVarManagerWrapper: one plug-in's access to the host's console: its variables and its log.
//
// Who makes it: the host, one per loaded plug-in, before it calls the plug-in's onLoad. The host
// owns it through a shared pointer and places a copy in the plug-in's `cvarManagerShared`; the
// plug-in may keep further copies for as long as its module is loaded.
// It carries the plug-in's identity: the host prefixes the plug-in's log lines with its name.
// After the host has shut down, the operations do nothing and lookups give false handles.
// Cut off: once unloading begins (before the host calls the module's release function) the handle
// is cut off from the console: it tests false, registrations and logging do nothing and lookups
// give false handles. Variable handles taken earlier stay valid: the variables belong to the host.
// Threads: any thread: the loader thread in onLoad, the game thread in hooks and timers, the render
// thread in the settings panel, also at the same time. The host keeps the variables and the log
// behind its own lock and holds none when a call returns. Lines logged from several threads each
// arrive whole, in the order the calls took the host's lock.
#pragma once

#include <memory>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/cvar_wrapper.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API CVarManagerWrapper {
public:
    // Host only.
    explicit CVarManagerWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope);
    ~CVarManagerWrapper();
    CVarManagerWrapper(const CVarManagerWrapper&) = delete;
    CVarManagerWrapper& operator=(const CVarManagerWrapper&) = delete;

    // True while calls through this handle reach the console: false once the plug-in is being
    // unloaded (the handle is cut off) or the host has shut down.
    explicit operator bool() const;

    // Creates the variable `name` with the value `defaultValue`, or, if a variable of that name
    // exists already, keeps it and its value. A default that reads as a number makes the
    // variable numeric. `hasMin`/`min` and `hasMax`/`max` clamp values set later. With
    // `saveToConfig` false the host never writes the variable to its settings file (a value the
    // file holds still applies). `searchable` is accepted and has no effect in this host.
    // Returns a handle to the variable.
    CVarWrapper registerCvar(std::string name, std::string defaultValue, std::string description,
                             bool searchable, bool hasMin, float min, bool hasMax, float max,
                             bool saveToConfig);

    // A handle to the variable `name`; a false handle if there is none.
    CVarWrapper getCvar(std::string name);

    // Writes one line (no line end) to the host's console, prefixed with the plug-in's name.
    void log(std::string text);

private:
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
};
