// The module boundary every baseline plug-in shares: the record, the factory and the release
// function, as a real plug-in exports them, so the host loads a baseline exactly as it loads Quorvel.
// Each baseline supplies its plug-in class through makeBaselinePlugin and its name through
// BASELINE_NAME (set by the build).
#include <memory>
#include <new>

#include "baseline_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"

extern "C" PLUGIN_EXPORT std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin();
extern "C" PLUGIN_EXPORT void deleteMe();

extern "C" PLUGIN_EXPORT PluginDescriptor exports;
PluginDescriptor exports = {
    95, __FILE__, BASELINE_NAME, "A baseline for measuring the host's cost of a touch", "1.0", 1, &getPlugin, &deleteMe,
};

namespace {
std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> pluginInstance;
}  // namespace

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin() {
    if (!pluginInstance) {
        try {
            pluginInstance = makeBaselinePlugin();
        } catch (const std::bad_alloc&) {
        }
    }
    return &pluginInstance;
}

void deleteMe() {
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> released = std::move(pluginInstance);
    released.reset();
}
