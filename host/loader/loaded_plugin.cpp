#include "loaded_plugin.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <utility>

#include "printable_text.h"
#include "pluginsdk/plugin_call.h"
#include "pluginsdk/process_state.h"
#include "pluginsdk/shared_call_record.h"
#include "variable_rollback.h"

namespace host {
namespace {

std::string refusalText(const std::string& path, const std::string& problem) {
    return "cannot load '" + path + "': " + problem;
}

[[noreturn]] void refuse(const std::string& path, const std::string& problem) {
    throw HostError(refusalText(path, problem));
}

// Runs one call into the plug-in's code as its entry point `step`. Returns what it threw, as
// "STEP threw: WHAT", or nothing if it returned.
template <typename Call>
std::optional<std::string> guarded(pluginsdk::World* world, pluginsdk::PluginId plugin, const char* name,
                                   pluginsdk::EntryPoint step, Call&& call) {
    const pluginsdk::PluginCall marked{world, plugin, name, step};
    const auto threw = pluginsdk::callPlugin(marked, std::forward<Call>(call));
    // The module's loading and unloading are rare enough to look at the whole process after each.
    pluginsdk::verifyProcessState(marked);
    if (threw) {
        return std::string(pluginsdk::entryPointName(step)) + " " + *threw;
    }
    return std::nullopt;
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

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(const std::string& path, const std::shared_ptr<pluginsdk::World>& world,
                                                 double trialSeconds) {
    return load(CheckedModule::check(path, trialSeconds), world);
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(CheckedModule module, const std::shared_ptr<pluginsdk::World>& world) {
    std::unique_ptr<LoadedPlugin> loaded(new LoadedPlugin());
    const std::string path = module.path();
    loaded->path_ = path;
    loaded->module_.emplace(std::move(module));
    loaded->world_ = world;

    std::string openError;
    const std::string& loadPath = loaded->module_->loadPath();
    loaded->openedFrom_ = loadPath;
    // Before its record is read the plug-in is known by its file's name.
    const std::string fileName = std::filesystem::path(path).filename().string();
    if (const auto threw = guarded(world.get(), 0, fileName.c_str(), pluginsdk::EntryPoint::StaticSetUp,
                                   [&] {
                                       loaded->library_ = DynamicLibrary::open(
                                           loadPath, openError, std::filesystem::path(path).parent_path().string());
                                   })) {
        refuse(path, "its " + *threw);
    }
    if (!loaded->library_.isOpen()) {
        refuse(path, loaded->module_->namingTheFileAsGiven(openError));
    }
    // From here on a refusal destroys `loaded`, which unloads what there is so far.
    for (const char* required : {"exports", "getPlugin", "deleteMe"}) {
        if (loaded->library_.symbol(required) == nullptr) {
            refuse(path, std::string("it is not a plug-in module: it exports no '") + required + "'");
        }
    }
    void* getPlugin = loaded->library_.symbol("getPlugin");
    void* deleteMe = loaded->library_.symbol("deleteMe");
    loaded->record_ = static_cast<const PluginDescriptor*>(loaded->library_.symbol("exports"));
    checkRecord(path, *loaded->record_, getPlugin, deleteMe);

    loaded->library_.redirectImport("time", reinterpret_cast<void*>(&pluginsdk::pluginsdkModuleTime));
    for (const pluginsdk::WatchedImport& watched : pluginsdk::watchedImports()) {
        loaded->library_.redirectImport(watched.name, watched.replacement);
    }
    // A fault at an address of the module is the plug-in's, even once the module is closed.
    const auto [imageStart, imageEnd] = loaded->library_.imageRange();
    loaded->imageStart_ = imageStart;
    pluginsdk::recordModuleOpened(printable(loaded->record_->classNameText), imageStart, imageEnd);

    loaded->release_ = loaded->record_->releaseFunction;
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance = nullptr;
    if (const auto threw = guarded(world.get(), 0, "plug-in", pluginsdk::EntryPoint::GetPlugin, [&] { instance = loaded->record_->createFunction(); })) {
        refuse(path, "its " + *threw);
    }
    if (instance == nullptr || !*instance) {
        refuse(path, "the plug-in could not be created (its factory returned no object)");
    }
    loaded->instance_ = instance;

    loaded->scope_ = world->addPlugin(loaded->name(), instance);
    loaded->console_ = std::make_shared<CVarManagerWrapper>(loaded->scope_);
    loaded->game_ = std::make_shared<GameWrapper>(loaded->scope_);
    BakkesMod::Plugin::BakkesModPlugin& plugin = loaded->plugin();
    plugin.cvarManagerShared = loaded->console_;
    plugin.gameWrapperShared = loaded->game_;

    const VariableRollback variablesBefore(*world);
    if (const auto threw = guarded(world.get(), loaded->scope_->id, loaded->record_->classNameText, pluginsdk::EntryPoint::OnLoad, [&] { plugin.onLoad(); })) {
        // Its callbacks go before its variables: destroying a callback may release variable handles.
        world->dropPlugin(loaded->scope_->id);
        variablesBefore.restore(*world);
        refuse(path, "its " + *threw);
    }
    loaded->onLoadSucceeded_ = true;
    return loaded;
}

bool LoadedPlugin::releasedItself() const {
    return instance_ != nullptr && !*instance_;
}

BakkesMod::Plugin::BakkesModPlugin& LoadedPlugin::plugin() const {
    if (instance_ == nullptr || !*instance_) {
        throw HostError("the plug-in " + name() + " has no object any more: its own code called deleteMe");
    }
    return **instance_;
}

BakkesMod::Plugin::PluginSettingsWindow* LoadedPlugin::settingsWindow() const {
    // The factory hands out the plug-in side only; the settings side is a cross-cast away.
    return dynamic_cast<BakkesMod::Plugin::PluginSettingsWindow*>(&plugin());
}

LoadedPlugin::~LoadedPlugin() {
    unload();
}

std::vector<std::string> LoadedPlugin::unload() {
    std::vector<std::string> problems;
    const auto note = [&problems](const std::optional<std::string>& problem) {
        if (problem) {
            problems.push_back("the plug-in's " + *problem);
        }
    };
    const auto world = world_.lock();
    const auto dropCallbacks = [&] {
        if (world && scope_) {
            world->dropPlugin(scope_->id);
        }
    };

    // A plug-in whose own code called deleteMe has no object left to call.
    const bool releasedItself = this->releasedItself();
    if (releasedItself) {
        problems.push_back("the plug-in had released itself (its own code called deleteMe), so neither its onUnload "
                           "nor its deleteMe was called");
    }
    if (onLoadSucceeded_ && !releasedItself) {
        note(guarded(world.get(), scope_ ? scope_->id : 0, record_->classNameText, pluginsdk::EntryPoint::OnUnload, [this] { plugin().onUnload(); }));
    }
    onLoadSucceeded_ = false;
    // No callback of the plug-in may run once its object is gone, so its hooks and timers go
    // first, and its handles are cut off so that its destructors and its module's static clean-up
    // cannot register new ones.
    dropCallbacks();
    if (scope_) {
        scope_->cut = true;
    }
    if (instance_ != nullptr) {
        instance_ = nullptr;
        if (!releasedItself) {
            note(guarded(world.get(), scope_ ? scope_->id : 0, record_->classNameText, pluginsdk::EntryPoint::DeleteMe, [this] { release_(); }));
        }
    }
    dropCallbacks();
    // The record lies in the module: its name is kept for the module's static clean-up.
    const std::string pluginName = record_ != nullptr && record_->classNameText != nullptr ? name() : "plug-in";
    record_ = nullptr;
    // The module's static clean-up runs here and releases its last references to the host's handles.
    // Marked closed before it is: the module's code is gone the moment the system unmaps it, and a
    // thread of the plug-in's own may fault there at once.
    if (imageStart_ != 0) {
        pluginsdk::recordModuleClosed(std::exchange(imageStart_, 0));
    }
    {
        const pluginsdk::PluginCall cleanUp{world.get(), 0, pluginName.c_str(), pluginsdk::EntryPoint::StaticCleanUp};
        {
            const pluginsdk::PluginCallScope marked(cleanUp);
            library_.close();
        }
        pluginsdk::verifyProcessState(cleanUp);
    }
    module_.reset();
    console_.reset();
    game_.reset();
    if (scope_) {
        refusedOnceCut_ = scope_->refusedOnceCut;
    }
    scope_.reset();
    return problems;
}

}  // namespace host
