#include "loaded_plugin.h"

#include <exception>

#include "platform/runtime_clock.h"

namespace host {
namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& problem) {
    throw HostError("cannot load '" + path + "': " + problem);
}

// The record is read by its layout; a module built against another layout, or a broken one, shows
// as missing texts or functions.
void checkRecord(const std::string& path, const PluginDescriptor& record, void* getPlugin, void* deleteMe) {
    if (record.classNameText == nullptr || record.classNameText[0] == '\0') {
        refuse(path, "its record 'exports' has no class name");
    }
    if (record.sourcePath == nullptr || record.descriptionText == nullptr || record.versionText == nullptr) {
        refuse(path, "its record 'exports' lacks a text (source path, description or version)");
    }
    if (reinterpret_cast<void*>(record.createFunction) != getPlugin) {
        refuse(path, "its record 'exports' does not point its create function at 'getPlugin'");
    }
    if (reinterpret_cast<void*>(record.releaseFunction) != deleteMe) {
        refuse(path, "its record 'exports' does not point its release function at 'deleteMe'");
    }
}

}  // namespace

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(const std::string& path,
                                                 const std::shared_ptr<pluginsdk::World>& world) {
    std::unique_ptr<LoadedPlugin> loaded(new LoadedPlugin());
    loaded->path_ = path;
    loaded->world_ = world;

    std::string openError;
    loaded->library_ = DynamicLibrary::open(path, openError);
    if (!loaded->library_.isOpen()) {
        refuse(path, openError);
    }
    // From here on a refusal destroys `loaded`, which closes the module again.
    for (const char* required : {"exports", "getPlugin", "deleteMe"}) {
        if (loaded->library_.symbol(required) == nullptr) {
            refuse(path, std::string("it is not a plug-in module: it exports no '") + required + "'");
        }
    }
    void* getPlugin = loaded->library_.symbol("getPlugin");
    void* deleteMe = loaded->library_.symbol("deleteMe");
    loaded->record_ = static_cast<const PluginDescriptor*>(loaded->library_.symbol("exports"));
    checkRecord(path, *loaded->record_, getPlugin, deleteMe);

    loaded->library_.redirectImport("time", reinterpret_cast<void*>(&quorvelHostModuleTime));

    loaded->instance_ = loaded->record_->createFunction();
    if (loaded->instance_ == nullptr || !*loaded->instance_) {
        loaded->instance_ = nullptr;
        refuse(path, "the plug-in could not be created (its factory returned no object)");
    }
    loaded->release_ = loaded->record_->releaseFunction;

    loaded->scope_ = world->addPlugin(loaded->name());
    BakkesMod::Plugin::BakkesModPlugin& plugin = loaded->plugin();
    plugin.cvarManagerShared = std::make_shared<CVarManagerWrapper>(loaded->scope_);
    plugin.gameWrapperShared = std::make_shared<GameWrapper>(loaded->scope_);

    try {
        plugin.onLoad();
    } catch (const std::exception& error) {
        refuse(path, std::string("its onLoad threw: ") + error.what());
    } catch (...) {
        refuse(path, "its onLoad threw an unknown exception");
    }
    return loaded;
}

BakkesMod::Plugin::PluginSettingsWindow* LoadedPlugin::settingsWindow() const {
    // The factory hands out the plug-in side only; the settings side is a cross-cast away.
    return dynamic_cast<BakkesMod::Plugin::PluginSettingsWindow*>(&plugin());
}

LoadedPlugin::~LoadedPlugin() {
    unload();
}

void LoadedPlugin::unload() {
    // No callback of the plug-in may run once its object is gone, so its hooks and timers go first.
    if (scope_) {
        if (const auto world = world_.lock()) {
            world->dropPlugin(scope_->id);
        }
    }
    if (instance_ != nullptr) {
        instance_ = nullptr;
        release_();
    }
    scope_.reset();
    record_ = nullptr;
    // The module's static clean-up runs here and releases its last references to the host's handles.
    library_.close();
}

}  // namespace host
