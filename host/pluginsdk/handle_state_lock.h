// The lock over the state that the SDK's value handles reach: the fields of every BallState and
// ConsoleVariable. Handles are used on the host's game and render threads at once (the game reads a
// variable while the settings panel writes it), so every handle operation and every world operation
// that touches those fields holds this lock for the duration of the access, and never while a
// plug-in callback runs.
//
// Lock order: a World's own lock may be held when this one is taken, never the other way round.
#pragma once

#include <mutex>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk::detail {

// Held for as long as the returned lock lives. Not recursive.
PLUGINSDK_API std::unique_lock<std::mutex> lockHandleState();

}  // namespace pluginsdk::detail
