// GameWrapper: a plug-in's hooks and timers, recorded in the world under the plug-in's identity so
// that the host can drop them all when it unloads the plug-in.
#include "bakkesmod/wrappers/game_wrapper.h"

#include "world.h"

GameWrapper::GameWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope) : scope_(std::move(scope)) {}

GameWrapper::~GameWrapper() = default;

namespace {
// The world this handle reaches, or null once the world is gone or the plug-in has been cut off.
std::shared_ptr<pluginsdk::World> reachableWorld(const std::shared_ptr<pluginsdk::detail::PluginScope>& scope) {
    return scope && !scope->cut ? scope->world.lock() : nullptr;
}

// The world a registration reaches; one refused because the plug-in is cut off is counted.
std::shared_ptr<pluginsdk::World> registrationWorld(const std::shared_ptr<pluginsdk::detail::PluginScope>& scope) {
    if (scope && scope->cut) {
        ++scope->refusedOnceCut;
    }
    return reachableWorld(scope);
}
}  // namespace

GameWrapper::operator bool() const {
    return reachableWorld(scope_) != nullptr;
}

template <>
void GameWrapper::HookEventWithCallerPost<BallWrapper>(
    std::string eventName, std::function<void(BallWrapper caller, void* params, std::string eventName)> callback) {
    if (const auto world = registrationWorld(scope_)) {
        if (world->tracing()) {
            world->trace({.kind = pluginsdk::SdkCall::Kind::HookPost, .name = eventName});
        }
        world->addPostHook(scope_->id, std::move(eventName), std::move(callback));
    }
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> callback, float delaySeconds) {
    if (const auto world = registrationWorld(scope_)) {
        if (world->tracing()) {
            world->trace({.kind = pluginsdk::SdkCall::Kind::SetTimeout, .seconds = delaySeconds});
        }
        world->addTimer(scope_->id, this, std::move(callback), delaySeconds);
    }
}
