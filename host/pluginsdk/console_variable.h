// What a console variable accepts. The same rules hold whoever writes: the host's console, or a
// plug-in through its CVarWrapper.
#pragma once

#include <optional>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "world_types.h"

namespace pluginsdk {

// A new variable at its default. A default that reads as a finite number makes it numeric.
PLUGINSDK_API detail::ConsoleVariable makeVariable(const std::string& name, const std::string& defaultValue,
                                                   const std::string& description, bool hasMin, float min,
                                                   bool hasMax, float max);

// Sets the variable's text, under the handle-state lock (any thread). A numeric variable takes only text that is wholly a finite number,
// clamped to its range (and then written as the clamped number); anything else is refused and the
// value stays. Returns why it was refused, or nothing when it was set.
PLUGINSDK_API std::optional<std::string> setVariableText(detail::ConsoleVariable& variable, const std::string& text);

}  // namespace pluginsdk
