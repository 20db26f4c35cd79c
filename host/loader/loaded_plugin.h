// A plug-in module loaded the way the real host loads one, and unloaded the same way.
//
// Load: check that the file is a complete module for this platform; on POSIX, open it once in a
// throw-away child process, so a module whose static set-up throws or crashes is a refusal and not
// the host's end; open the module; read its record `exports`; check it; find `getPlugin` and
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
#include <stdexcept>
#include <string>
#include <vector>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"
#include "bakkesmod/plugin/plugin_settings_window.h"
#include "../pluginsdk/world.h"
#include "../platform/dynamic_library.h"

namespace host {

// A module that cannot be loaded. The message names the file and what is wrong with it.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LoadedPlugin {
public:
    // Loads the module at `path` into `world`. Throws LoadError; on a throw nothing of the module
    // stays loaded and the world is as it was: variables the plug-in created are removed, the ones
    // that existed keep their values, and none of its hooks or timers remain.
    static std::unique_ptr<LoadedPlugin> load(const std::string& path, const std::shared_ptr<pluginsdk::World>& world);

    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    ~LoadedPlugin();  // unloads, if unload() has not been called; problems go unreported

    // Unloads the plug-in completely, whatever its entry points do. Returns what went wrong on the
    // way, one message each ("the plug-in's deleteMe threw: ..."); empty if nothing did. Only the
    // first call does anything.
    std::vector<std::string> unload();

    const std::string& path() const { return path_; }
    const PluginDescriptor& record() const { return *record_; }
    // The name the plug-in goes by: its record's class name.
    std::string name() const { return record_->classNameText; }
    pluginsdk::PluginId id() const { return scope_->id; }
    BakkesMod::Plugin::BakkesModPlugin& plugin() const { return **instance_; }
    // The plug-in's settings side, or null if its class has none.
    BakkesMod::Plugin::PluginSettingsWindow* settingsWindow() const;

private:
    LoadedPlugin() = default;

    std::string path_;
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
};

}  // namespace host
