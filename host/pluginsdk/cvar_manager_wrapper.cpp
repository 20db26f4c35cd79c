// CVarManagerWrapper: a plug-in's console, reached through its scope so that the world can tell
// plug-ins apart and so that nothing dangles once the world is gone.
#include "bakkesmod/wrappers/cvar_manager_wrapper.h"

#include "world.h"

CVarManagerWrapper::CVarManagerWrapper(std::shared_ptr<pluginsdk::detail::PluginScope> scope)
    : scope_(std::move(scope)) {}

CVarManagerWrapper::~CVarManagerWrapper() = default;

namespace {
// The world this handle reaches, or null once the world is gone or the plug-in has been cut off.
std::shared_ptr<pluginsdk::World> reachableWorld(const std::shared_ptr<pluginsdk::detail::PluginScope>& scope) {
    return scope && !scope->cut ? scope->world.lock() : nullptr;
}
}  // namespace

CVarManagerWrapper::operator bool() const {
    return reachableWorld(scope_) != nullptr;
}

CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue, std::string description,
                                             bool /*searchable*/, bool hasMin, float min, bool hasMax, float max,
                                             bool saveToConfig) {
    const auto world = reachableWorld(scope_);
    if (!world) {
        return CVarWrapper({});
    }
    if (world->tracing()) {
        world->trace({.kind = pluginsdk::SdkCall::Kind::RegisterCvar, .name = name, .text = defaultValue});
    }
    return CVarWrapper(
        world->registerVariable(name, defaultValue, description, hasMin, min, hasMax, max, saveToConfig));
}

CVarWrapper CVarManagerWrapper::getCvar(std::string name) {
    const auto world = reachableWorld(scope_);
    if (!world) {
        return CVarWrapper({});
    }
    if (world->tracing()) {
        world->trace({.kind = pluginsdk::SdkCall::Kind::GetCvar, .name = name});
    }
    return CVarWrapper(world->findVariable(name));
}

void CVarManagerWrapper::log(std::string text) {
    if (const auto world = reachableWorld(scope_)) {
        world->log(*scope_, std::move(text));
    }
}
