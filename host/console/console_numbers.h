// Numbers as the console reads them from a command's words, and compares them in `expect`. The
// console writes them as the SDK's trace does, with pluginsdk/number_text.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bakkesmod/wrappers/vector.h"

namespace host {

// Reads a float. Infinity and NaN may be asked for by name; a number too large for a float is
// refused rather than read as infinity. One too small reads as zero, or the nearest tiny float, as
// C reads it. Throws HostError naming `word` and `what` was expected.
float readFloat(std::string_view word, const char* what);

// Reads a whole number from `min` to `max`. Throws HostError naming `word` and `what` was expected.
std::int64_t readInteger(std::string_view word, const char* what, std::int64_t min, std::int64_t max);

// Exact comparison that also tells -0 from 0 (the plug-in's results are bit-exact, and a reversed
// zero shows as "-0"), except that NaN matches NaN so a script can expect one.
bool sameFloat(float a, float b);
bool sameVector(const Vector& a, const Vector& b);

}  // namespace host
