// For information: single SDK calls the touch response is made of, through the host's SDK library,
// with the handles Quorvel's load gave the plug-in.
#include <benchmark/benchmark.h>

#include <exception>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "module_session.h"
#include "pluginsdk/world.h"

namespace quorvel_bench {
namespace {

// One look-up of a setting by name, and its truth test, as the response makes at each firing. The
// longest of the four names, past the short-string buffer.
void BM_GetCvar(benchmark::State& state) {
    try {
        ModuleSession module(QUORVEL_MODULE_PATH);
        CVarManagerWrapper& manager = *module.session().plugin().plugin().cvarManagerShared;
        for (auto _ : state) {
            CVarWrapper variable = manager.getCvar("quorvel_enabled_orange");
            benchmark::DoNotOptimize(static_cast<bool>(variable));
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_GetCvar);

// One timer set with the response's delay and fired by moving the game clock past it.
void BM_SetTimeoutAndFire(benchmark::State& state) {
    try {
        ModuleSession module(QUORVEL_MODULE_PATH);
        GameWrapper& game = *module.session().plugin().plugin().gameWrapperShared;
        pluginsdk::World& world = module.world();
        benchmark::IterationCount fired = 0;
        for (auto _ : state) {
            game.SetTimeout([&fired](GameWrapper*) { ++fired; }, 0.01f);
            world.advanceClock(kPastTheDelay);
        }
        if (fired != state.iterations()) {
            state.SkipWithError("a timer did not fire");
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_SetTimeoutAndFire);

}  // namespace
}  // namespace quorvel_bench
