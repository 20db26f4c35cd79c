// The module's face to the host: its description record, the factory and release function, the
// two module-level shared pointers, and the plug-in's load step.
#include "Quorvel.h"

#include <ctime>
#include <memory>
#include <new>

#include "bakkesmod/plugin/plugin_descriptor.h"
#include "crt_random.h"
#include "plugin_identity.h"
#include "settings_variables.h"

// The build passes this file's absolute path; the host shows it as the record's source path.
#ifndef QUORVEL_MAIN_SOURCE_PATH
#define QUORVEL_MAIN_SOURCE_PATH __FILE__
#endif

extern "C" PLUGIN_EXPORT std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin();
extern "C" PLUGIN_EXPORT void deleteMe();

// Read by the host by its layout; deliberately not const, so it lies in ordinary writable data.
extern "C" PLUGIN_EXPORT PluginDescriptor exports;
PluginDescriptor exports = {
    95,
    QUORVEL_MAIN_SOURCE_PATH,
    quorvel::kClassName,
    quorvel::kDescription,
    quorvel::kVersion,
    1,
    &getPlugin,
    &deleteMe,
};

// The two module-level objects. Both start empty. They are defined in this order so that the
// runtime's clean-up at module unload releases sharedCvarManager first, then pluginInstance.
//
// pluginInstance owns the one plug-in object; getPlugin hands out its address, which therefore
// never changes while the module is loaded.
std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> pluginInstance;
// A module-wide reference to the host's console manager, set by each onLoad. Nothing reads it; it
// keeps the manager alive up to module unload.
std::shared_ptr<CVarManagerWrapper> sharedCvarManager;

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin() {
    if (!pluginInstance) {
        // No exception may cross this plain-C boundary. If the object or its control block cannot
        // be allocated, pluginInstance stays empty and the host sees that nothing was created.
        try {
            // A plain allocation and a separate control block with the default deletion: whoever
            // drops the last reference, this module's code deletes the object as a Quorvel.
            std::shared_ptr<Quorvel> created(new Quorvel());
            pluginInstance = std::move(created);
        } catch (const std::bad_alloc&) {
        }
    }
    return &pluginInstance;
}

void deleteMe() {
    // Empty the module's pointer before the reference goes: the object's destructor must never
    // find itself still published.
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> released = std::move(pluginInstance);
    released.reset();
}

namespace {

void registerSetting(CVarManagerWrapper& manager, const char* name, const char* defaultValue,
                     const char* description) {
    // searchable, no minimum, no maximum, saved with the host's configuration. The handle that
    // comes back is dropped unexamined: users look the variable up again by name.
    manager.registerCvar(name, defaultValue, description, true, false, 0.0f, false, 0.0f, true);
}

}  // namespace

void Quorvel::onLoad() {
    // The host fills both handles before it calls onLoad. A host that has not done so gets a
    // plug-in that does nothing, rather than a crash.
    if (!cvarManagerShared || !gameWrapperShared) {
        return;
    }

    sharedCvarManager = cvarManagerShared;

    // The hook goes in before any settings variable exists; a touch before registration finds no
    // variable and does nothing.
    gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
        "Function TAGame.Ball_TA.OnCarTouch",
        [this](BallWrapper ball, void* params, std::string eventName) {
            onBallTouched(std::move(ball), params, std::move(eventName));
        });

    quorvel::seedRandom(static_cast<std::uint32_t>(std::time(nullptr)));

    CVarManagerWrapper& manager = *cvarManagerShared;
    registerSetting(manager, quorvel::kEnabledBlue, "0", "Controls if the plugin affects the blue team");
    registerSetting(manager, quorvel::kEnabledOrange, "0", "Controls if the plugin affects the orange team");
    registerSetting(manager, quorvel::kFactor, "1", "Controls how much the ball is slowed");
    registerSetting(manager, quorvel::kTrajectory, "0", "Controls how much the ball deflects");
}
