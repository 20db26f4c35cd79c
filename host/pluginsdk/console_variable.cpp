#include "console_variable.h"

#include <cmath>

#include "handle_state_lock.h"
#include "number_text.h"

namespace pluginsdk {

detail::ConsoleVariable makeVariable(const std::string& name, const std::string& defaultValue,
                                     const std::string& description, bool hasMin, float min, bool hasMax,
                                     float max) {
    detail::ConsoleVariable variable;
    variable.name = name;
    variable.value = defaultValue;
    variable.defaultValue = defaultValue;
    variable.description = description;
    const std::optional<float> number = parseFloat(defaultValue);
    variable.numeric = number.has_value() && std::isfinite(*number);
    variable.number = number.value_or(0.0f);
    variable.hasMin = hasMin;
    variable.min = min;
    variable.hasMax = hasMax;
    variable.max = max;
    return variable;
}

std::optional<std::string> setVariableText(detail::ConsoleVariable& variable, const std::string& text) {
    const std::optional<float> number = parseFloat(text);
    const auto state = detail::lockHandleState();
    if (!variable.numeric) {
        variable.value = text;
        variable.number = number.value_or(0.0f);
        return std::nullopt;
    }
    if (number && std::isinf(*number) && !spellsInfinity(text)) {
        return "\"" + text + "\" is too large for a float, so " + variable.name + " stays \"" + variable.value + "\"";
    }
    if (!number || !std::isfinite(*number)) {
        return variable.name + " takes a finite number, not \"" + text + "\"; it stays \"" + variable.value + "\"";
    }
    float clamped = *number;
    if (variable.hasMin && clamped < variable.min) {
        clamped = variable.min;
    }
    if (variable.hasMax && clamped > variable.max) {
        clamped = variable.max;
    }
    variable.value = clamped == *number ? text : formatFloat(clamped);
    variable.number = clamped;
    return std::nullopt;
}

}  // namespace pluginsdk
