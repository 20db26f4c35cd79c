// A plug-in module loaded the way the real host loads one, and unloaded the same way.
//
// Load: check the module file (checked_module.h: pinned, a complete module of this platform, tried in
// a child process on POSIX); open what was checked; read its record `exports`; check it; find `getPlugin` and
// `deleteMe`; point the module's C runtime clock at the host's; call getPlugin; fill the object's
// cvarManagerShared and gameWrapperShared with this plug-in's own handles; call onLoad.
// Unload: call onUnload, drop the plug-in's hooks and pending timers, cut its handles off from the
// world, call deleteMe, drop whatever was registered anyway, close the module, let go of the
// host's handles.
//
// Every call into the module is guarded: an exception from an entry point becomes a refusal (at
// load) or a reported problem (at unload), never the host's end.
//
// Threads: one thread, the host's. Ownership: the LoadedPlugin owns the open module and the
// plug-in's two host handles; the object itself belongs to the module's shared pointer, which the
// host reads through and never copies.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"
#include "bakkesmod/plugin/plugin_settings_window.h"
#include "checked_module.h"
#include "host_error.h"
#include "pluginsdk/plugin_call.h"
#include "pluginsdk/world.h"
#include "platform/dynamic_library.h"

namespace host {

class LoadedPlugin {
public:
    // Loads the checked module into `world`. Throws HostError naming the file and what is wrong
    // with it; on a throw nothing of the module stays loaded and the world is as it was: variables
    // the plug-in created are removed, the ones that existed keep their values, and none of its
    // hooks or timers remain.
    static std::unique_ptr<LoadedPlugin> load(CheckedModule module, const std::shared_ptr<pluginsdk::World>& world);
    // Checks the module at `path` (checked_module.h, `trialSeconds` for its static set-up), then
    // loads it.
    static std::unique_ptr<LoadedPlugin> load(const std::string& path, const std::shared_ptr<pluginsdk::World>& world,
                                              double trialSeconds = kDefaultPluginTimeoutSeconds);

    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    ~LoadedPlugin();  // unloads, if unload() has not been called; problems go unreported

    // Unloads the plug-in completely, whatever its entry points do. Returns what went wrong on the
    // way, one message each ("the plug-in's deleteMe threw: ..."); empty if nothing did. Only the
    // first call does anything.
    std::vector<std::string> unload();

    const std::string& path() const { return path_; }
    // The file the module was opened from: a private copy of path() (platform/dynamic_library.h).
    const std::string& openedFrom() const { return openedFrom_; }
    // How many hooks and timers the plug-in tried to set once its unload had cut it off (from its
    // destructors or its module's static clean-up): refused, and counted for the checks.
    std::uint32_t refusedOnceCut() const { return scope_ ? scope_->refusedOnceCut.load() : refusedOnceCut_; }
    const PluginDescriptor& record() const { return *record_; }
    // The name the plug-in goes by: its record's class name.
    std::string name() const { return record_->classNameText; }
    pluginsdk::PluginId id() const { return scope_->id; }
    // The plug-in object; throws HostError if the plug-in's own code released it (deleteMe).
    BakkesMod::Plugin::BakkesModPlugin& plugin() const;
    // Whether the plug-in's own code called deleteMe, emptying the module's pointer to its object:
    // the host then never calls the object again, and unloads the module without onUnload or
    // deleteMe.
    bool releasedItself() const;
    // The plug-in's settings side, or null if its class has none.
    BakkesMod::Plugin::PluginSettingsWindow* settingsWindow() const;

    // Runs `code`, a call of the plug-in's `entryPoint`, through the plug-in call boundary
    // (pluginsdk/plugin_call.h). Throws HostError ("the plug-in NAME's ENTRY threw: WHAT") if it
    // throws.
    template <typename Code>
    void call(pluginsdk::EntryPoint entryPoint, Code&& code) const {
        if (releasedItself()) [[unlikely]] {
            throw HostError("the plug-in " + name() + " has no object any more: its own code called deleteMe");
        }
        const std::shared_ptr<pluginsdk::World> world = world_.lock();
        const pluginsdk::PluginCall marked{world.get(), scope_ ? scope_->id : 0, record_->classNameText, entryPoint};
        if (const auto threw = pluginsdk::callPlugin(marked, std::forward<Code>(code))) {
            throw HostError("the plug-in " + name() + "'s " + pluginsdk::entryPointName(entryPoint) + " " + *threw);
        }
        if (releasedItself()) [[unlikely]] {
            throw HostError("the plug-in " + name() + "'s " + pluginsdk::entryPointName(entryPoint) +
                            " called deleteMe: the plug-in released itself, so the host unloads it");
        }
    }

private:
    LoadedPlugin() = default;

    std::string path_;
    std::string openedFrom_;
    std::optional<CheckedModule> module_;  // what library_ was opened from; kept until it is closed
    DynamicLibrary library_;
    const PluginDescriptor* record_ = nullptr;
    PluginReleaseFunction release_ = nullptr;
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance_ = nullptr;
    bool onLoadSucceeded_ = false;  // only a plug-in whose onLoad returned is given onUnload
    std::weak_ptr<pluginsdk::World> world_;
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
    // The host's own references to the plug-in's handles: a timer keeps a plain pointer to the game
    // handle, so it must live as long as the plug-in, whatever the plug-in does with its copies.
    std::shared_ptr<CVarManagerWrapper> console_;
    std::shared_ptr<GameWrapper> game_;
    std::uint32_t refusedOnceCut_ = 0;  // kept from the scope once unloaded
    std::uintptr_t imageStart_ = 0;     // where the module's image starts, while it is open
};

}  // namespace host
