// For information: what flying the ball costs, alone and as the world's tick.
#include <benchmark/benchmark.h>

#include "pluginsdk/ball_flight.h"
#include "pluginsdk/world.h"

namespace quorvel_bench {
namespace {

// One step of the integrator and the arena's bounces, for a spinning ball with a Magnus coefficient.
void BM_BallTick(benchmark::State& state) {
    const pluginsdk::FlightSettings settings;
    pluginsdk::FlyingBall ball{{0.0f, 0.0f, 500.0f}, {1000.0f, -500.0f, 200.0f}, {0.0f, 0.0f, 1.0f},
                               {0.5f, 0.5f, 0.5f}};
    for (auto _ : state) {
        pluginsdk::flyOneTick(ball, settings);
        benchmark::DoNotOptimize(ball);
    }
}
BENCHMARK(BM_BallTick);

// One game tick of a world with physics and the ghost on: both balls flown, the tick recorded.
void BM_WorldTickFlying(benchmark::State& state) {
    const auto world = pluginsdk::World::create();
    world->setPhysics(true);
    world->setGhost(true);
    world->setBallVector(pluginsdk::detail::BallVector::Velocity, {1000.0f, -500.0f, 200.0f});
    for (auto _ : state) {
        world->advanceClock(1.0 / 120.0);
    }
}
BENCHMARK(BM_WorldTickFlying);

}  // namespace
}  // namespace quorvel_bench
