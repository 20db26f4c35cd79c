// CVarWrapper: a value handle to one console variable.
//
// Made by CVarManagerWrapper::registerCvar and getCvar. The handle names the variable, it does not
// keep it alive: a handle to a missing variable, or to one the host has since removed, tests false,
// reads as false / 0.0 and ignores writes. A variable holds text; the host may refuse a value (text
// that is not a number for a numeric variable) or clamp it to the registered range, without telling
// the writer. The host keeps the value behind its own lock, so a read sees it before or after a
// concurrent write, never a mixture. One handle object is used by one thread at a time.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API CVarWrapper {
public:
    // [host only] a handle to `variable` (an empty reference makes a false handle).
    explicit CVarWrapper(std::weak_ptr<pluginsdk::detail::ConsoleVariable> variable);
    // [any thread] Copies and moves may be made and destroyed anywhere; the moved-from handle tests
    // false.
    CVarWrapper(const CVarWrapper& other);
    CVarWrapper& operator=(const CVarWrapper& other);
    CVarWrapper(CVarWrapper&& other) noexcept;
    CVarWrapper& operator=(CVarWrapper&& other) noexcept;
    ~CVarWrapper();

    // [any thread] True while the variable exists.
    explicit operator bool() const;

    // [any thread: typically the game thread in a timer, the render thread in the panel] The value's
    // text read as a number ("0" is false and 0.0, "1" is true and 1.0).
    bool getBoolValue() const;
    float getFloatValue() const;

    // [any thread] Sets the value to the integer's text, for example "1". Later reads through any
    // handle see it.
    void setValue(int value);
    // [any thread] Sets the value to the float's shortest text that reads back as the same float.
    void setValue(float value);

private:
    std::weak_ptr<pluginsdk::detail::ConsoleVariable> variable_;
};
