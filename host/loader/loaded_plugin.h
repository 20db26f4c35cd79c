// A plug-in module loaded the way the real host loads one, and unloaded the same way.
//
// Load: open the module; read its record `exports`; check it; find `getPlugin` and `deleteMe`;
// point the module's C runtime clock at the host's; call getPlugin; fill the object's
// cvarManagerShared and gameWrapperShared with this plug-in's own handles; call onLoad.
// Unload: drop the plug-in's hooks and pending timers, call deleteMe, let go of the host's
// handles, close the module.
//
// Threads: one thread, the host's. Ownership: the LoadedPlugin owns the open module; the object
// itself belongs to the module's shared pointer, which the host reads through and never copies.
#pragma once

#include <memory>
#include <string>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"
#include "bakkesmod/plugin/plugin_settings_window.h"
#include "host_error.h"
#include "pluginsdk/world.h"
#include "platform/dynamic_library.h"

namespace host {

class LoadedPlugin {
public:
    // Loads the module at `path` into `world`. Throws HostError naming the file and what is wrong
    // with it; on a throw nothing of the module stays loaded and the world is as it was.
    static std::unique_ptr<LoadedPlugin> load(const std::string& path, const std::shared_ptr<pluginsdk::World>& world);

    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    ~LoadedPlugin();  // unloads

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
    void unload();

    std::string path_;
    DynamicLibrary library_;
    const PluginDescriptor* record_ = nullptr;
    PluginReleaseFunction release_ = nullptr;
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance_ = nullptr;
    std::weak_ptr<pluginsdk::World> world_;
    std::shared_ptr<pluginsdk::detail::PluginScope> scope_;
};

}  // namespace host
