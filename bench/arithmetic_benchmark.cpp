// For information: the touch response's own arithmetic (a 10 percent deflection, then the speed
// factor), compiled from the module's sources into this program, with no host around it.
#include <benchmark/benchmark.h>

#include "crt_random.h"
#include "module_session.h"
#include "velocity_deflection.h"

namespace quorvel_bench {
namespace {

void BM_Arithmetic(benchmark::State& state) {
    quorvel::seedRandom(1);
    for (auto _ : state) {
        Vector velocity = kTouchVelocity;
        float trajectory = 10.0f;
        float factor = 0.5f;
        benchmark::DoNotOptimize(velocity);
        benchmark::DoNotOptimize(trajectory);
        benchmark::DoNotOptimize(factor);
        const quorvel::Deflection deflection = quorvel::deflectVelocity(velocity, trajectory);
        Vector slowed = quorvel::scaleVelocity(deflection.velocity, factor);
        bool finite = quorvel::isFinite(slowed);
        benchmark::DoNotOptimize(slowed);
        benchmark::DoNotOptimize(finite);
    }
}
BENCHMARK(BM_Arithmetic);

}  // namespace
}  // namespace quorvel_bench
