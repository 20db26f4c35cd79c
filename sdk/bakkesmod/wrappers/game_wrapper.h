// GameWrapper: one plug-in's access to the running game: event hooks and timers.
//
// The host makes one per loaded plug-in before onLoad and owns it (`gameWrapperShared` is a copy).
// Callbacks passed in belong to the host from then on and run on the game thread with no host lock
// held, so a callback may call any SDK operation; the game's frame waits for each, so each is short.
// Once unloading begins the handle is cut off: calls through it do nothing and it tests false, so a
// hook or timer set from the plug-in's destructor or its module's static clean-up never exists. A
// plug-in sets none then: a real host need not refuse them, and would run code of a closed module.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/ball_wrapper.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API GameWrapper {
public:
    // [host only, loader thread] before onLoad.
    explicit GameWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope);
    ~GameWrapper();
    GameWrapper(const GameWrapper&) = delete;
    GameWrapper& operator=(const GameWrapper&) = delete;

    // [any thread] True while calls through this handle reach the game: false once the plug-in is
    // being unloaded (the handle is cut off) or the host has shut down.
    explicit operator bool() const;

    // [any thread: the loader thread in onLoad, the game thread in callbacks] After every run of
    // the game function `eventName`, `callback` runs on the game thread with the function's caller
    // as a `Caller` handle, a pointer to the function's parameters and the event's name. This host
    // offers the caller type BallWrapper. The hook lasts until the plug-in is unloaded.
    template <typename Caller>
    void HookEventWithCallerPost(std::string eventName,
                                 std::function<void(Caller caller, void* params, std::string eventName)> callback);

    // [any thread] `callback` runs once on the game thread, `delaySeconds` of game time from now,
    // with this plug-in's game handle; one set from a callback waits for its own due time. A timer
    // still pending at unload never runs.
    void SetTimeout(std::function<void(GameWrapper*)> callback, float delaySeconds);

private:
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
};

template <>
PLUGINSDK_API void GameWrapper::HookEventWithCallerPost<BallWrapper>(
    std::string eventName, std::function<void(BallWrapper caller, void* params, std::string eventName)> callback);
