// For information: the scripted touch of a golden scenario, `touch 1 1000 -500 200` and then
// `wait 0.01`, through the console language's interpreter. Against BM_TouchCycle/Quorvel it shows
// what reading the two lines costs.
#include <benchmark/benchmark.h>

#include <exception>

#include "console/command_interpreter.h"
#include "module_session.h"
#include "pluginsdk/world.h"

namespace quorvel_bench {
namespace {

void BM_ScriptLine(benchmark::State& state) {
    try {
        ModuleSession module(QUORVEL_MODULE_PATH);
        host::CommandInterpreter interpreter(module.session());
        for (auto _ : state) {
            interpreter.execute("touch 1 1000 -500 200");
            interpreter.execute("wait 0.01");
        }
        if (module.world().pendingTimerCount(module.session().plugin().id()) != 0) {
            state.SkipWithError("a touch's response was still pending after the wait");
        }
        // Two lines each time round.
        state.SetItemsProcessed(2 * state.iterations());
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_ScriptLine);

}  // namespace
}  // namespace quorvel_bench
