// One call a plug-in made through the SDK's handles, as the world's trace hands it on
// (World::setTraceListener): a record, so that whoever watches the calls reads their kind, name and
// values, and only what shows them to a person (the console's `trace`, a check's report) turns them
// into text, with describe().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/vector.h"

namespace pluginsdk {

struct SdkCall {
    enum class Kind : std::uint8_t {
        HookPost,              // name: the event
        SetTimeout,            // seconds: the delay
        RegisterCvar,          // name: the variable; text: its default value
        GetCvar,               // name: the variable
        SetVelocity,           // vector: the ball's new velocity
        SetMagnusCoefficient,  // vector: the ball's new Magnus coefficient
        Log,                   // text: the line
    };
    Kind kind = Kind::GetCvar;
    std::string name{};
    std::string text{};
    Vector vector{};
    float seconds = 0.0f;
};

// [any thread] The kind's name, the first words of describe(): "hook post", "timeout",
// "registerCvar", "getCvar", "setVelocity", "setMagnusCoefficient", "log".
PLUGINSDK_API const char* kindName(SdkCall::Kind kind);
// [any thread] The kind of that name; nothing for another text.
PLUGINSDK_API std::optional<SdkCall::Kind> kindNamed(std::string_view name);

// [any thread] The call as `trace on` prints it: `hook post "EVENT"`, `timeout 0.01`,
// `registerCvar NAME "DEFAULT"`, `getCvar NAME`, `setVelocity (X, Y, Z)`,
// `setMagnusCoefficient (X, Y, Z)`, `log TEXT`.
PLUGINSDK_API std::string describe(const SdkCall& call);

}  // namespace pluginsdk
