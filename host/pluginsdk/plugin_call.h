// The one boundary through which the host calls plug-in code. Whoever calls into a plug-in (the
// world for hooks and timers, the loader for the module's entry points, the settings window for the
// panel) does it through callPlugin, which
//   - marks the calling thread, for as long as the call runs, with the plug-in and the entry point
//     (currentPluginCall): the C runtime clock a module reads is its world's (pluginsdkModuleTime),
//     and a crash or a hang is reported with what was running (host/faults/);
//   - turns whatever the call throws into a message naming the entry point, never std::terminate.
//
// Every thread that runs plug-in code is given an alternate signal stack at its first call, so that
// a stack overflow in plug-in code can still be reported.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "bakkesmod/sdk_export.h"
#include "world_types.h"

namespace pluginsdk {

// Every way the host enters plug-in code. Each is named where the host reports on it ("its onLoad
// threw", "crashed in its hook") and is called by one of the host's threads (--threads separate;
// under --threads one every one of them is the host's one thread).
enum class EntryPoint : std::uint8_t {
    StaticSetUp,         // [loader thread] the module's static constructors, as it is opened
    GetPlugin,           // [loader thread] the factory
    OnLoad,              // [loader thread]
    OnUnload,            // [loader thread]
    DeleteMe,            // [loader thread] the release function
    StaticCleanUp,       // [loader thread] the module's static destructors, as it is closed
    Hook,                // [game thread] a hook's callback
    Timer,               // [game thread] a timer's callback
    HookDestructor,      // [game thread, or loader thread when the unload drops it]
    TimerDestructor,     // [game thread, or loader thread when the unload drops it]
    AttachImGuiContext,  // [render thread]
    GetDisplayName,      // [render thread]
    DrawSettingsPanel,   // [render thread]
};

// The host's threads that call into plug-ins.
enum class CallingThread : std::uint8_t { Loader, Game, Render, GameOrLoader };

// [any thread, also a signal handler] The name the reports use: "static set-up", "onLoad",
// "hook's destructor", ...; a text that lives for the whole process.
PLUGINSDK_API const char* entryPointName(EntryPoint entryPoint);
// [any thread] Which of the host's threads calls it.
PLUGINSDK_API CallingThread callingThread(EntryPoint entryPoint);

struct PluginCall {
    World* world = nullptr;               // null for a plug-in whose world is gone
    PluginId plugin = 0;                  // 0 while the plug-in has no identity yet (its factory)
    const char* pluginName = "plug-in";   // the record's class name, or a file name before there is one
    EntryPoint entryPoint = EntryPoint::OnLoad;
    const PluginCall* outer = nullptr;    // the call this one runs inside, on the same thread
};

// [any thread] The innermost plug-in call running on the calling thread, or null. Safe to call
// from a signal handler on that thread.
PLUGINSDK_API const PluginCall* currentPluginCall();

// [host's start-up or a check] Called with each plug-in call as it begins, on its thread, until
// replaced; null: none. For the checks of where a plug-in's code runs; costs a load per call when null.
using PluginCallObserver = void (*)(const PluginCall& call);
PLUGINSDK_API void observePluginCalls(PluginCallObserver observer);

// Marks the calling thread as running `call` until destroyed. Nests. `call`'s texts must outlive
// the scope. Prefer callPlugin, which also catches what the call throws.
class PLUGINSDK_API PluginCallScope {
public:
    explicit PluginCallScope(const PluginCall& call);
    ~PluginCallScope();
    PluginCallScope(const PluginCallScope&) = delete;
    PluginCallScope& operator=(const PluginCallScope&) = delete;

private:
    PluginCall call_;
};

// [any thread] Runs `code`, plug-in code, as `call` (its `outer` is filled in). Returns what it
// threw, "threw: WHAT" or "threw an unknown exception", for the caller to name the entry point
// before it; nothing if it returned.
template <typename Code>
std::optional<std::string> callPlugin(const PluginCall& call, Code&& code) {
    try {
        const PluginCallScope marked(call);
        code();
        return std::nullopt;
    } catch (const std::exception& error) {
        return std::string("threw: ") + error.what();
    } catch (...) {
        return std::string("threw an unknown exception");
    }
}

// A thread whose outermost plug-in call has not returned yet, for the host's watch over hangs.
struct CallInFlight {
    std::uint64_t thread;  // pthread_t on POSIX, the thread's id on Windows
    std::uint64_t call;    // the call's number on that thread: the same number, the same call
};

// [any thread] Every thread in a plug-in call right now. A call that starts or ends meanwhile may
// or may not be listed.
PLUGINSDK_API std::vector<CallInFlight> callsInFlight();

// [any thread, while `thread` is stopped] The innermost plug-in call of the thread that
// callsInFlight names `thread`, or null. Only a stopped thread's calls stay put while read.
PLUGINSDK_API const PluginCall* innermostCallOf(std::uint64_t thread);

// What the C function `time` returns to a module: the host points each module's import of it here.
// [any thread] The fixed clock of the world whose plug-in is calling (World::setRuntimeClock), else
// the real one, in seconds since 1970-01-01 UTC; also stored through `out` when not null.
extern "C" PLUGINSDK_API std::time_t pluginsdkModuleTime(std::time_t* out);

}  // namespace pluginsdk
