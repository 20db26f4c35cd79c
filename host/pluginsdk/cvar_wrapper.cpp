// CVarWrapper: a handle that names a console variable weakly; writes go through the world, which
// decides what a variable accepts.
#include "bakkesmod/wrappers/cvar_wrapper.h"

#include <string>

#include "handle_census.h"
#include "number_text.h"
#include "console_variable.h"

namespace {

void setText(pluginsdk::detail::ConsoleVariable& variable, const std::string& text) {
    ++variable.writes;
    // A refused value leaves the variable as it was; the SDK gives the writer no way to learn it.
    (void)pluginsdk::setVariableText(variable, text);
}

}  // namespace

CVarWrapper::CVarWrapper(std::weak_ptr<pluginsdk::detail::ConsoleVariable> variable)
    : variable_(std::move(variable)) {
    pluginsdk::detail::countVariableHandle(+1);
}

CVarWrapper::CVarWrapper(const CVarWrapper& other) : variable_(other.variable_) {
    pluginsdk::detail::countVariableHandle(+1);
}

CVarWrapper& CVarWrapper::operator=(const CVarWrapper& other) = default;

// The moved-from handle still exists and is counted until it is destroyed.
CVarWrapper::CVarWrapper(CVarWrapper&& other) noexcept : variable_(std::move(other.variable_)) {
    pluginsdk::detail::countVariableHandle(+1);
}

CVarWrapper& CVarWrapper::operator=(CVarWrapper&& other) noexcept = default;

CVarWrapper::~CVarWrapper() {
    pluginsdk::detail::countVariableHandle(-1);
}

CVarWrapper::operator bool() const {
    return !variable_.expired();
}

bool CVarWrapper::getBoolValue() const {
    const auto variable = variable_.lock();
    return variable && variable->number != 0.0f;
}

float CVarWrapper::getFloatValue() const {
    const auto variable = variable_.lock();
    return variable ? variable->number : 0.0f;
}

void CVarWrapper::setValue(int value) {
    if (const auto variable = variable_.lock()) {
        setText(*variable, std::to_string(value));
    }
}

void CVarWrapper::setValue(float value) {
    if (const auto variable = variable_.lock()) {
        setText(*variable, pluginsdk::formatFloat(value));
    }
}
