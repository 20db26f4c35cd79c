// Counts of the SDK's value handles that exist right now, for the host's checks that a plug-in
// releases every handle it takes.
//
// Handles are made and destroyed several times per touch, so counting must cost next to nothing:
// each thread keeps its own counters, which only that thread writes (no locked instruction, no
// cache line shared between threads), and liveHandles() sums them. A handle may be destroyed on
// another thread than the one that made it; the per-thread counts may then go below zero, their sum
// stays right. A thread's counts are kept after it ends.
#pragma once

#include <cstdint>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

struct HandleCounts {
    std::int64_t actors = 0;     // ActorWrapper and BallWrapper
    std::int64_t variables = 0;  // CVarWrapper
};

// Any thread, at any time. A handle made or destroyed by another thread while this runs may or
// may not be counted yet; once the threads have finished with their handles the sum is exact.
PLUGINSDK_API HandleCounts liveHandles();

namespace detail {
// Called by the handles' constructors (+1) and destructors (-1), on the thread that runs them.
void countActorHandle(int delta);
void countVariableHandle(int delta);
}  // namespace detail

}  // namespace pluginsdk
