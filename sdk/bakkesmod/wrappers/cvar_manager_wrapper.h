// CVarManagerWrapper: one plug-in's access to the host's console: its variables and its log.
//
// The host makes one per loaded plug-in before onLoad and owns it (`cvarManagerShared` is a copy;
// the plug-in may keep others while its module is loaded). It carries the plug-in's identity: the
// host prefixes the plug-in's log lines with its name. Once unloading begins, or after the host
// has shut down, it is cut off: it tests false, registrations and logging do nothing and look-ups
// give false handles. Variable handles taken earlier stay valid: the variables belong to the host.
// Every operation may run on any thread, also at the same time; no host lock is held on return.
#pragma once

#include <memory>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/cvar_wrapper.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API CVarManagerWrapper {
public:
    // [host only, loader thread] before onLoad.
    explicit CVarManagerWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope);
    ~CVarManagerWrapper();
    CVarManagerWrapper(const CVarManagerWrapper&) = delete;
    CVarManagerWrapper& operator=(const CVarManagerWrapper&) = delete;

    // [any thread] True while calls through this handle reach the console: false once the plug-in
    // is being unloaded (the handle is cut off) or the host has shut down.
    explicit operator bool() const;

    // [any thread, usually the loader thread in onLoad] Creates the variable `name` with the value
    // `defaultValue`, or, if a variable of that name exists already, keeps it and its value. A
    // default that reads as a number makes the variable numeric. `hasMin`/`min` and
    // `hasMax`/`max` clamp values set later. With `saveToConfig` false the host never writes the
    // variable to its settings file (a value the file holds still applies). `searchable` is
    // accepted and has no effect in this host. The variable belongs to the host; the handle
    // returned names it. A saved value is the person's: the plug-in leaves it as registering gives
    // it back (one tidied or rounded at load loses what was saved).
    CVarWrapper registerCvar(std::string name, std::string defaultValue, std::string description,
                             bool searchable, bool hasMin, float min, bool hasMax, float max,
                             bool saveToConfig);

    // [any thread] A handle to the variable `name`; a false handle if there is none.
    CVarWrapper getCvar(std::string name);

    // [any thread] Writes one line (no line end) to the host's console, prefixed with the plug-in's
    // name. Lines from several threads each arrive whole, in the order the calls took the host's lock.
    void log(std::string text);

private:
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
};
