// Numbers as console text: how the host reads a number from text and writes a float as text.
// Shared by the console variables and the host's console language, so both read numbers alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

// Reads `text` as C's strtof does, in the "C" locale's format; the whole text must be consumed.
// Infinity and NaN are read as such. Empty optional if the text is not a number.
PLUGINSDK_API std::optional<float> parseFloat(std::string_view text);

// The shortest text that parseFloat reads back as the same float ("0.5", "1e+30", "-inf").
PLUGINSDK_API std::string formatFloat(float value);

}  // namespace pluginsdk
