#include "sdk_call.h"

#include <iterator>

#include "number_text.h"

namespace pluginsdk {
namespace {

// In the order of SdkCall::Kind.
constexpr const char* kKindNames[] = {"hook post", "timeout", "registerCvar", "getCvar",
                                      "setVelocity", "setMagnusCoefficient", "log"};
static_assert(std::size(kKindNames) == static_cast<std::size_t>(SdkCall::Kind::Log) + 1);

}  // namespace

const char* kindName(SdkCall::Kind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

std::optional<SdkCall::Kind> kindNamed(std::string_view name) {
    for (std::size_t kind = 0; kind < std::size(kKindNames); ++kind) {
        if (name == kKindNames[kind]) {
            return static_cast<SdkCall::Kind>(kind);
        }
    }
    return std::nullopt;
}

std::string describe(const SdkCall& call) {
    const std::string kind = kindName(call.kind);
    switch (call.kind) {
    case SdkCall::Kind::HookPost:
        return kind + " \"" + call.name + "\"";
    case SdkCall::Kind::SetTimeout:
        return kind + " " + formatFloat(call.seconds);
    case SdkCall::Kind::RegisterCvar:
        return kind + " " + call.name + " \"" + call.text + "\"";
    case SdkCall::Kind::GetCvar:
        return kind + " " + call.name;
    case SdkCall::Kind::SetVelocity:
    case SdkCall::Kind::SetMagnusCoefficient:
        return kind + " " + formatVector(call.vector);
    case SdkCall::Kind::Log:
        break;
    }
    return kind + " " + call.text;
}

}  // namespace pluginsdk
