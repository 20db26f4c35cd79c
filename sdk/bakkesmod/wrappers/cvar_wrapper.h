// CVarWrapper: a value handle to one console variable.
//
// Who makes them: CVarManagerWrapper::registerCvar and getCvar. The handle names the variable, it
// does not keep it alive: a handle to a missing variable, or to one the host has since removed,
// tests false, reads as false / 0.0 and ignores writes.
// Values: a variable holds text. getBoolValue and getFloatValue read that text as a number ("0" is
// false and 0.0, "1" is true and 1.0). A write is seen by later reads through any handle. The host
// may refuse a value (text that is not a number for a numeric variable) or clamp it to the
// variable's registered range; the writer is not told.
// Threads: the host's game thread and the thread that draws the settings window; the host calls
// plug-ins on one of them at a time.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/handle_internals.h"

class PLUGINSDK_API CVarWrapper {
public:
    // Host only: a handle to `variable` (an empty reference makes a false handle).
    explicit CVarWrapper(std::weak_ptr<pluginsdk::detail::ConsoleVariable> variable);
    CVarWrapper(const CVarWrapper& other);
    CVarWrapper& operator=(const CVarWrapper& other);
    // The moved-from handle tests false.
    CVarWrapper(CVarWrapper&& other) noexcept;
    CVarWrapper& operator=(CVarWrapper&& other) noexcept;
    ~CVarWrapper();

    // True while the variable exists.
    explicit operator bool() const;

    bool getBoolValue() const;
    float getFloatValue() const;

    // Sets the value to the integer's text, for example "1".
    void setValue(int value);
    // Sets the value to the float's shortest text that reads back as the same float.
    void setValue(float value);

private:
    std::weak_ptr<pluginsdk::detail::ConsoleVariable> variable_;
};
