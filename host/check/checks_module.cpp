// The module file and its loading.
#include <chrono>

#include "bakkesmod/plugin/plugin_descriptor.h"
#include "checks.h"
#include "plugin_under_check.h"
#include "host_error.h"
#include "loader/checked_module.h"
#include "platform/dynamic_library.h"
#include "printable_text.h"

namespace host::check {
namespace {

void requirePrintable(const char* field, const char* text) {
    require(text != nullptr && text[0] != '\0', std::string("its record's ") + field + " is empty");
    const std::string_view view(text);
    require(view.size() <= 1024, std::string("its record's ") + field + " is " + std::to_string(view.size()) +
                                     " characters long");
    require(printable(view) == view, std::string("its record's ") + field + " holds control characters: " +
                                         quoted(view));
}

}  // namespace

void checkModuleFile(const CheckOptions& options, CheckRecords& /*records*/) {
    // As a module of this platform, tried in a child process.
    const CheckedModule module = CheckedModule::check(options.modulePath, options.pluginTimeout);
    // The record as the host reads it, before any of the plug-in's own calls.
    std::string error;
    const DynamicLibrary library = DynamicLibrary::open(module.loadPath(), error);
    require(library.isOpen(), "the module cannot be opened: " + module.namingTheFileAsGiven(error));
    const auto* record = static_cast<const PluginDescriptor*>(library.symbol("exports"));
    require(record != nullptr, "it exports no record 'exports'");
    requirePrintable("class name", record->classNameText);
    requirePrintable("source path", record->sourcePath);
    requirePrintable("description", record->descriptionText);
    requirePrintable("version", record->versionText);
    for (const auto& [field, function] : {std::pair{"create function", reinterpret_cast<const void*>(record->createFunction)},
                                          std::pair{"release function", reinterpret_cast<const void*>(record->releaseFunction)}}) {
        require(function != nullptr && library.contains(function),
                std::string("its record's ") + field + " is not a function of the module itself");
    }
}

void checkLoad(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    const auto started = std::chrono::steady_clock::now();
    try {
        plugin.load();
    } catch (const HostError& refused) {
        require(plugin.world().variables().empty(), std::string("the module is refused (") + refused.what() +
                                                         "), and the world keeps variables its onLoad made");
        throw CheckFailed(std::string("the module is refused: ") + refused.what());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    require(seconds <= 1.0, "loading took " + std::to_string(static_cast<int>(seconds * 1000)) +
                                " ms; onLoad is to return within a second, or the game stalls while it runs");
    // Asked again, the factory gives the object it gave.
    LoadedPlugin& loaded = plugin.session().plugin();
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* again = nullptr;
    plugin.session().threads().run(HostThread::Loader, [&] {
        loaded.call(pluginsdk::EntryPoint::GetPlugin, [&] { again = loaded.record().createFunction(); });
    });
    require(again != nullptr && again->get() == &loaded.plugin(), "getPlugin, called again, gives another object");
    plugin.unload();
}

}  // namespace host::check
