// BakkesMod::Plugin::BakkesModPlugin: the base class of every plug-in object.
//
// The class is compiled into each plug-in module (its code is in bakkesmod_plugin.cpp) and
// exported from it. The host reaches into an object that the module created, so its shape is a
// contract between the two: polymorphic, the two members below in this order and nothing else,
// and the virtual operations in this slot order.
//
// Lifecycle, as the host drives it:
//   1. the host takes the object from the module's factory;
//   2. it fills `cvarManagerShared` and `gameWrapperShared` with the plug-in's own handles;
//   3. it calls onLoad; from then on it calls the plug-in's hooks and timers, and both handles
//      stay filled while the plug-in is in use;
//   4. at unload it calls onUnload, drops the plug-in's hooks and timers, cuts both handles off
//      (calls through them do nothing from then on, and they test false), and calls the module's
//      release function; then it closes the module.
// An exception out of getPlugin or onLoad makes the host refuse the plug-in; one out of onUnload or
// the release function is reported, and the unload completes all the same.
// Threads: steps 1 to 4 and onUnload run on the host's loader thread, one call at a time. Hooks and
// timers run on the game thread (see GameWrapper), the settings panel on the render thread (see
// PluginSettingsWindow), possibly at the same time as each other. Copies of the shared pointer that
// owns the object may be dropped on any thread; the object dies on the thread that drops the last.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "bakkesmod/wrappers/game_wrapper.h"

namespace BakkesMod::Plugin {

class PLUGIN_EXPORT BakkesModPlugin {
public:
    // Filled by the host before onLoad; empty until then.
    std::shared_ptr<CVarManagerWrapper> cvarManagerShared;
    std::shared_ptr<GameWrapper> gameWrapperShared;

    BakkesModPlugin();                                    // both handles empty
    BakkesModPlugin(const BakkesModPlugin& other);        // shares both handles
    BakkesModPlugin(BakkesModPlugin&& other) noexcept;    // takes both over, leaves `other` empty
    // Not virtual: a plug-in object is never deleted through a BakkesModPlugin pointer. It is
    // deleted by its module, as its own class. Releases gameWrapperShared, then cvarManagerShared.
    ~BakkesModPlugin();
    BakkesModPlugin& operator=(const BakkesModPlugin& other);      // shares both handles
    BakkesModPlugin& operator=(BakkesModPlugin&& other) noexcept;  // takes both over

    // Called by the host once the handles are filled. Does nothing here.
    virtual void onLoad();
    // Called by the host first when it unloads the plug-in, while the handles still work. Does
    // nothing here.
    virtual void onUnload();
};

}  // namespace BakkesMod::Plugin
