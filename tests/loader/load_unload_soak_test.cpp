// Many load/unload cycles of the real module, each with responses still pending when it unloads:
// every handle the plug-in took is released and the host's memory does not grow with the cycles.
// Memory is the process's peak resident size (getrusage), compared between an early and a late
// checkpoint, so a leak per cycle shows however fast the machine is.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "loader/loaded_plugin.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "pluginsdk/world.h"
#include "run_length.h"

namespace {

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Under AddressSanitizer a cycle costs some forty times as much, and the peak size grows by about
// 30 kB a cycle even with the runtime's quarantine off, while the same cycles without the
// sanitizer stay flat: the runtime keeps bookkeeping for each module it sees opened. That build
// runs fewer cycles and leaves memory to its leak checker. ThreadSanitizer's runtime costs as much a
// cycle (every load is also tried in a child process, which it follows too), so its build does too.
constexpr int kDefaultCycles = 300;
constexpr bool kPeakMemoryMeaningful = false;
#else
constexpr int kDefaultCycles = 10000;
constexpr bool kPeakMemoryMeaningful = true;
#endif

// QUORVEL_SOAK_CYCLES=N runs N cycles instead, for a longer soak by hand.
long cycleCount() {
    return quorvel_test::countFromEnvironment("QUORVEL_SOAK_CYCLES", kDefaultCycles);
}

void oneCycle(const std::shared_ptr<pluginsdk::World>& world) {
    auto plugin = host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world);
    world->ensureBall();
    world->touchBall(1, Vector{1000.0f, -500.0f, 200.0f});
    world->touchBall(0, Vector{10.0f, 20.0f, 30.0f});
    world->advanceClock(0.005);  // the responses are still pending at the unload
    ASSERT_EQ(world->pendingTimerCount(plugin->id()), 2u);
    ASSERT_TRUE(plugin->unload().empty());
}

}  // namespace

TEST(LoadUnloadSoak, HandlesComeBackAndPeakMemoryStaysFlat) {
    const long cycles = cycleCount();
    const long early = cycles / 10;
    const auto world = pluginsdk::World::create();
    pluginsdk::setVariableText(*world->registerVariable("quorvel_enabled_orange", "0", "", false, 0, false, 0), "1");
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();

    long earlyPeak = 0;
    for (long cycle = 1; cycle <= cycles; ++cycle) {
        oneCycle(world);
        if (HasFatalFailure()) {
            FAIL() << "cycle " << cycle;
        }
        if (cycle == early) {
            earlyPeak = peakResidentKilobytes();
        }
    }
    const long latePeak = peakResidentKilobytes();
    std::printf("peak resident size: %ld kB after cycle %ld, %ld kB after cycle %ld\n", earlyPeak, early, latePeak,
                cycles);

    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
    EXPECT_EQ(world->variables().size(), 4u);
    // Nine tenths of the cycles may add no more than 4 MB: a leak of even half a kilobyte a cycle
    // would exceed it.
    if (kPeakMemoryMeaningful) {
        EXPECT_LE(latePeak - earlyPeak, 4096) << "peak resident size after cycle " << early << ": " << earlyPeak
                                          << " kB, after cycle " << cycles << ": " << latePeak << " kB";
    }
}
