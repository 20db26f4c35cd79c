// Many load/unload cycles of the real module, each with responses still pending when it unloads:
// every handle the plug-in took is released and the host's memory does not grow with the cycles.
// Memory is compared between an early and a late checkpoint, so a leak per cycle shows however fast
// the machine is: the bytes of heap in use (glibc's mallinfo2), which after the first few cycles
// stay the same to the byte, and the process's peak resident size (getrusage), for memory that is
// not the heap's (thread stacks, mappings), which grows a page at a time.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "loader/loaded_plugin.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "pluginsdk/world.h"
#include "run_length.h"

namespace {

struct MemoryInUse {
    long heapBytes = 0;
    long peakResidentKilobytes = 0;
};

MemoryInUse memoryInUse() {
    const struct mallinfo2 heap = mallinfo2();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {static_cast<long>(heap.uordblks + heap.hblkhd), usage.ru_maxrss};
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Under AddressSanitizer a cycle costs some forty times as much, and the peak size grows by about
// 30 kB a cycle even with the runtime's quarantine off, while the same cycles without the
// sanitizer stay flat: the runtime keeps bookkeeping for each module it sees opened (and its heap
// is its own, not glibc's). That build runs fewer cycles and leaves memory to its leak checker.
// ThreadSanitizer's runtime costs as much a cycle (every load is also tried in a child process,
// which it follows too), so its build does too.
constexpr int kDefaultCycles = 300;
constexpr bool kMemoryMeaningful = false;
#else
constexpr int kDefaultCycles = 1000;
constexpr bool kMemoryMeaningful = true;
#endif

// What the last nine tenths of the cycles, 900 of them, may add. The smallest heap leak, one block
// a cycle (glibc's smallest is 32 bytes; the plug-in object is 48, a 64-byte block), adds 28 kB or
// more; memory outside the heap leaks a page at a time, and a page a cycle adds 3.6 MB.
constexpr long kAllowedHeapGrowthBytes = 16 * 1024;
constexpr long kAllowedPeakGrowthKilobytes = 1024;

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

TEST(LoadUnloadSoak, HandlesComeBackAndMemoryStaysFlat) {
    const long cycles = cycleCount();
    const long early = cycles / 10;
    const auto world = pluginsdk::World::create();
    pluginsdk::setVariableText(*world->registerVariable("quorvel_enabled_orange", "0", "", false, 0, false, 0), "1");
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();

    MemoryInUse atEarly;
    for (long cycle = 1; cycle <= cycles; ++cycle) {
        oneCycle(world);
        if (HasFatalFailure()) {
            FAIL() << "cycle " << cycle;
        }
        if (cycle == early) {
            atEarly = memoryInUse();
        }
    }
    const MemoryInUse atEnd = memoryInUse();
    std::printf("heap in use: %ld bytes after cycle %ld, %ld after cycle %ld; peak resident size: %ld kB, %ld kB\n",
                atEarly.heapBytes, early, atEnd.heapBytes, cycles, atEarly.peakResidentKilobytes,
                atEnd.peakResidentKilobytes);

    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
    EXPECT_EQ(world->variables().size(), 4u);
    if (kMemoryMeaningful) {
        EXPECT_LE(atEnd.heapBytes - atEarly.heapBytes, kAllowedHeapGrowthBytes)
            << "heap in use after cycle " << early << ": " << atEarly.heapBytes << " bytes, after cycle " << cycles
            << ": " << atEnd.heapBytes << " bytes";
        EXPECT_LE(atEnd.peakResidentKilobytes - atEarly.peakResidentKilobytes, kAllowedPeakGrowthKilobytes)
            << "peak resident size after cycle " << early << ": " << atEarly.peakResidentKilobytes
            << " kB, after cycle " << cycles << ": " << atEnd.peakResidentKilobytes << " kB";
    }
}
