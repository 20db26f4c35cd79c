// A touch and its response through the host's loader and SDK library, for Quorvel and for the two
// baseline plug-ins: the minimal one makes Quorvel's SDK calls without its arithmetic, the null one
// only hooks the touch and sets a timer. Quorvel against the minimal plug-in is the cost of
// Quorvel's own work; the minimal plug-in against the null one is the cost of the SDK calls.
#include <benchmark/benchmark.h>

#include <exception>
#include <string>

#include "module_session.h"
#include "pluginsdk/world.h"

namespace quorvel_bench {
namespace {

void BM_TouchCycle(benchmark::State& state, const std::string& modulePath) {
    try {
        ModuleSession module(modulePath);
        pluginsdk::World& world = module.world();
        const pluginsdk::PluginId plugin = module.session().plugin().id();
        for (auto _ : state) {
            module.touchAndFire();
        }
        // A measurement of responses that never ran would be a measurement of nothing.
        if (world.pendingTimerCount(plugin) != 0) {
            state.SkipWithError("a touch's response was still pending after the delay");
        } else if (!module.session().takeCallbackFailures().empty()) {
            state.SkipWithError("a plug-in callback failed");
        }
        state.SetItemsProcessed(state.iterations());
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

BENCHMARK_CAPTURE(BM_TouchCycle, Quorvel, std::string(QUORVEL_MODULE_PATH));
BENCHMARK_CAPTURE(BM_TouchCycle, MinimalPlugin, std::string(MINIMAL_PLUGIN_PATH));
BENCHMARK_CAPTURE(BM_TouchCycle, NullPlugin, std::string(NULL_PLUGIN_PATH));

}  // namespace
}  // namespace quorvel_bench
