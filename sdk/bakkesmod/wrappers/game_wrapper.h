// GameWrapper: one plug-in's access to the running game: event hooks and timers.
//
// Who makes it: the host, one per loaded plug-in, before it calls the plug-in's onLoad. The host
// owns it through a shared pointer and places a copy in the plug-in's `gameWrapperShared`.
// It carries the plug-in's identity: when the host unloads the plug-in it first drops every hook
// and pending timer the plug-in set, so no callback of a plug-in runs after its object is gone.
// Cut off: once unloading begins (before the host calls the module's release function) the handle
// is cut off from the game. Calls through it then do nothing and it tests false, so a hook or timer
// set from the plug-in's destructor or its module's static clean-up never exists.
// Callbacks: the function objects passed in belong to the host from then on. The host calls them
// on its game thread. A callback may set further hooks or timers; a timer set from a callback
// waits for its own due time.
// Threads: HookEventWithCallerPost and SetTimeout may be called from any thread (the loader thread
// in onLoad, the game thread in callbacks). No host lock is held while a callback runs, so a
// callback may call any SDK operation. When the host unloads the plug-in on its loader thread while
// one of its callbacks runs on the game thread, the host waits for that callback to return before
// it releases the plug-in; hooks and timers set after the host started unloading are dropped.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/ball_wrapper.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API GameWrapper {
public:
    // Host only.
    explicit GameWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope);
    ~GameWrapper();
    GameWrapper(const GameWrapper&) = delete;
    GameWrapper& operator=(const GameWrapper&) = delete;

    // True while calls through this handle reach the game: false once the plug-in is being
    // unloaded (the handle is cut off) or the host has shut down.
    explicit operator bool() const;

    // After every run of the game function `eventName`, the host calls `callback` with the
    // function's caller as a `Caller` handle, a pointer to the function's parameters and the
    // event's name. This host offers the caller type BallWrapper.
    template <typename Caller>
    void HookEventWithCallerPost(std::string eventName,
                                 std::function<void(Caller caller, void* params, std::string eventName)> callback);

    // Calls `callback` once, `delaySeconds` of game time from now, with this plug-in's game handle.
    void SetTimeout(std::function<void(GameWrapper*)> callback, float delaySeconds);

private:
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
};

template <>
PLUGINSDK_API void GameWrapper::HookEventWithCallerPost<BallWrapper>(
    std::string eventName, std::function<void(BallWrapper caller, void* params, std::string eventName)> callback);
