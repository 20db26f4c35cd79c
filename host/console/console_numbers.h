// Numbers as the console reads them from a command's words and writes them in its output.
// Transcripts are compared byte for byte across platforms, so the writing does not depend on the
// C runtime's spelling of NaN.
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

// One component as "%.9g" writes it, except that a NaN is spelled "nan" or "-nan" here.
std::string formatComponent(float value);

// "(X, Y, Z)", each component as formatComponent writes it.
std::string formatVector(const Vector& vector);

// Exact comparison that also tells -0 from 0 (the plug-in's results are bit-exact, and a reversed
// zero shows as "-0"), except that NaN matches NaN so a script can expect one.
bool sameFloat(float a, float b);
bool sameVector(const Vector& a, const Vector& b);

}  // namespace host
