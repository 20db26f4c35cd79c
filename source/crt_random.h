// The plug-in's pseudo-random generator. Deflections must come out the same on every platform, so
// the module carries the Microsoft C runtime's recurrence itself instead of using the platform's
// rand: state = state * 214013 + 2531011 (mod 2^32), draw = bits 16..30 of the new state.
//
// The state belongs to the calling thread and is 1 until that thread seeds it. The load step
// seeds the loading thread; the touch response draws on the thread that runs its timer.
#pragma once

#include <cstdint>

namespace quorvel {

// Sets the calling thread's state.
void seedRandom(std::uint32_t seed);
// Advances the calling thread's state and returns a value from 0 to 32767.
int drawRandom();

}  // namespace quorvel
