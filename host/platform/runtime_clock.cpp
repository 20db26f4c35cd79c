#include "runtime_clock.h"

#include <atomic>
#include <chrono>

namespace host {
namespace {
std::atomic<bool> clockFixed{false};
std::atomic<std::int64_t> fixedSeconds{0};
}  // namespace

void fixRuntimeClock(std::optional<std::int64_t> seconds) {
    fixedSeconds = seconds.value_or(0);
    clockFixed = seconds.has_value();
}

std::optional<std::int64_t> fixedRuntimeClock() {
    if (!clockFixed) {
        return std::nullopt;
    }
    return fixedSeconds.load();
}

extern "C" std::time_t quorvelHostModuleTime(std::time_t* out) {
    const std::time_t now =
        clockFixed ? static_cast<std::time_t>(fixedSeconds.load())
                   : static_cast<std::time_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                                  std::chrono::system_clock::now().time_since_epoch())
                                                  .count());
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

}  // namespace host
