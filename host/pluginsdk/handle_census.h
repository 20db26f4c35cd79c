// Counts of the SDK's value handles that exist right now, for the host's checks that a plug-in
// releases every handle it takes. Counted on construction and destruction, atomically.
#pragma once

#include <cstdint>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

struct HandleCounts {
    std::int64_t actors = 0;     // ActorWrapper and BallWrapper
    std::int64_t variables = 0;  // CVarWrapper
};

PLUGINSDK_API HandleCounts liveHandles();

namespace detail {
void countActorHandle(int delta);
void countVariableHandle(int delta);
}  // namespace detail

}  // namespace pluginsdk
