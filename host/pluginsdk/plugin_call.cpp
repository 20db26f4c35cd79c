#include "plugin_call.h"

#include <chrono>

#include "world.h"

namespace pluginsdk {
namespace {

// Initial-exec: the SDK library is loaded with the program, so the mark is reached straight from
// the thread pointer, without a call per access.
#if defined(__ELF__)
#define PLUGINSDK_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec")))
#else
#define PLUGINSDK_FAST_THREAD_LOCAL
#endif
constinit thread_local const PluginCall* innermostCall PLUGINSDK_FAST_THREAD_LOCAL = nullptr;

}  // namespace

const PluginCall* currentPluginCall() {
    return innermostCall;
}

PluginCallScope::PluginCallScope(World* world, PluginId plugin, const char* entryPoint)
    : call_{world, plugin, entryPoint, innermostCall} {
    innermostCall = &call_;
}

PluginCallScope::~PluginCallScope() {
    innermostCall = call_.outer;
}

std::time_t pluginsdkModuleTime(std::time_t* out) {
    std::optional<std::int64_t> fixed;
    if (const PluginCall* call = innermostCall; call != nullptr && call->world != nullptr) {
        fixed = call->world->runtimeClock();
    }
    const std::time_t now = fixed ? static_cast<std::time_t>(*fixed)
                                  : static_cast<std::time_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                                                 std::chrono::system_clock::now().time_since_epoch())
                                                                 .count());
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

}  // namespace pluginsdk
