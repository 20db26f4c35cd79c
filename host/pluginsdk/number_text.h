// Numbers as console text: how the host reads a number from text and writes a float or a vector as
// text. Shared by the console variables, the SDK's trace and the host's console language, so all
// read and write numbers alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/vector.h"

namespace pluginsdk {

// Reads `text` as C's strtof does, in the "C" locale's format; the whole text must be consumed.
// Infinity and NaN are read as such. Empty optional if the text is not a number.
PLUGINSDK_API std::optional<float> parseFloat(std::string_view text);

// Whether `text` spells infinity itself ("inf", "-Infinity"), rather than a number too large for a
// float, which parseFloat also reads as infinity.
PLUGINSDK_API bool spellsInfinity(std::string_view text);

// The shortest text that parseFloat reads back as the same float ("0.5", "1e+30", "-inf").
PLUGINSDK_API std::string formatFloat(float value);

// "(X, Y, Z)", each component as "%.9g" writes it (so every float shows exactly), except that a
// NaN is spelled "nan" or "-nan" here: the C runtimes disagree on a NaN's sign, and transcripts
// must be the same everywhere.
PLUGINSDK_API std::string formatVector(const Vector& vector);

}  // namespace pluginsdk
