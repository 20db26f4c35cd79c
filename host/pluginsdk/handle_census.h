// Counts of the SDK's value handles that exist right now, for the host's checks that a plug-in
// releases every handle it takes.
//
// One relaxed atomic counter per kind: handles are made and destroyed on any thread (one may die
// on another thread than the one that made it), and a count needs no ordering with anything else.
#pragma once

#include <cstdint>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

struct HandleCounts {
    std::int64_t actors = 0;     // ActorWrapper and BallWrapper
    std::int64_t variables = 0;  // CVarWrapper
};

// Any thread, at any time. A handle made or destroyed by another thread while this runs may or
// may not be counted yet; once the threads have finished with their handles the counts are exact.
PLUGINSDK_API HandleCounts liveHandles();

namespace detail {
// Called by the handles' constructors (+1) and destructors (-1), on the thread that runs them.
void countActorHandle(int delta);
void countVariableHandle(int delta);
}  // namespace detail

}  // namespace pluginsdk
