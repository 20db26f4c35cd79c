// Which plug-in's code runs on a thread right now, and through which entry point. Whoever calls
// into a plug-in (the world for hooks and timers, the loader for the module's entry points, the
// settings window for the panel) marks the call with a PluginCallScope for as long as it runs.
//
// The SDK reads the mark to serve the plug-in that is calling: the C runtime clock a module reads
// is the clock of that plug-in's world (moduleTime).
#pragma once

#include <ctime>

#include "bakkesmod/sdk_export.h"
#include "world_types.h"

namespace pluginsdk {

struct PluginCall {
    World* world = nullptr;
    PluginId plugin = 0;               // 0 while the plug-in has no identity yet (its factory)
    const char* entryPoint = "";       // "onLoad", "hook", "timer", ...
    const PluginCall* outer = nullptr;  // the call this one runs inside, on the same thread
};

// [any thread] The innermost plug-in call running on the calling thread, or null.
PLUGINSDK_API const PluginCall* currentPluginCall();

// Marks the calling thread as running `plugin`'s `entryPoint` until destroyed. Nests.
class PLUGINSDK_API PluginCallScope {
public:
    // `world` may be null: a plug-in whose world is gone (its unload after the host's end).
    PluginCallScope(World* world, PluginId plugin, const char* entryPoint);
    ~PluginCallScope();
    PluginCallScope(const PluginCallScope&) = delete;
    PluginCallScope& operator=(const PluginCallScope&) = delete;

private:
    PluginCall call_;
};

// What the C function `time` returns to a module: the host points each module's import of it here.
// [any thread] The fixed clock of the world whose plug-in is calling (World::setRuntimeClock), else
// the real one, in seconds since 1970-01-01 UTC; also stored through `out` when not null.
extern "C" PLUGINSDK_API std::time_t pluginsdkModuleTime(std::time_t* out);

}  // namespace pluginsdk
