// What the plug-in keeps of each event: the heap measured around many touches, game ticks and
// panel frames, once a warm-up has filled what the host and the runtime keep for later ones.
#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <ostream>

#include "checks.h"
#include "host_error.h"
#include "platform/process.h"
#include "plugin_under_check.h"

namespace host::check {
namespace {

// Bytes a plug-in may keep per event on average: an allocator's rounding and a cache filling up
// stay far below it, a record kept of every touch does not.
constexpr double kBytesPerEvent = 64.0;

std::size_t heapBytesOf(const std::string& text) {
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

// What the world's log keeps of the plug-in's lines (bounded, but filling while the plug-in logs):
// the host's memory, not the plug-in's.
long long logBytes(const pluginsdk::World& world) {
    long long bytes = 0;
    for (const pluginsdk::LogLine& line : world.recentLogLines()) {
        bytes += static_cast<long long>(sizeof line + heapBytesOf(line.pluginName) + heapBytesOf(line.text));
    }
    return bytes;
}

}  // namespace

void checkMemoryPerEvent(const CheckOptions& options, CheckRecords& records) {
    if (kSanitizedBuild) {
        throw CheckSkipped("a sanitizer's allocator holds freed memory back: it judges leaks itself in this build");
    }
    if (heapBytesInUse() < 0) {
        throw CheckSkipped("this platform's allocator does not say how much of its heap is in use");
    }
    // The plug-in's lines go nowhere: a stream that keeps them would grow with every event.
    std::ostream nowhere(nullptr);
    PluginUnderCheck plugin(options, nullptr, nowhere);
    plugin.load();
    const int events = std::max(1'000, amountsAt(options.level).touches);
    // At least as many as the log keeps lines, so a plug-in that logs at every event has filled it.
    const int warmUp = static_cast<int>(std::max<std::size_t>(1'000, pluginsdk::World::kRecentLogLines));
    std::string failures;
    const auto judge = [&](const char* what, const auto& once) {
        for (int i = 0; i < warmUp; ++i) {
            once(i);
        }
        const long long logBefore = logBytes(plugin.world());
        const long long before = heapBytesInUse();
        for (int i = 0; i < events; ++i) {
            once(i);
        }
        const long long grown = heapBytesInUse() - before - (logBytes(plugin.world()) - logBefore);
        const double perEvent = static_cast<double>(grown) / events;
        records.figure(std::string("heap bytes per ") + what, perEvent);
        if (perEvent > kBytesPerEvent) {
            char line[200];
            std::snprintf(line, sizeof line, "the heap grows by %.1f bytes per %s over %d of them (after %d to warm up), past %.0f",
                          perEvent, what, events, warmUp, kBytesPerEvent);
            failures += (failures.empty() ? "" : "; ") + std::string(line);
        }
    };
    // A touch and the timers its hooks set; callbacks that throw are counted by the exceptions check.
    judge("touch (its hooks and the timers they set)", [&plugin](int i) {
        plugin.touch(static_cast<std::uint8_t>(i % 2), pluginsdk::kFirmTouch);
        plugin.wait(0.05);
        (void)plugin.session().takeCallbackFailures();
    });
    // Game ticks with no touch: the timers the plug-in keeps setting on its own.
    judge("game tick", [&plugin](int) {
        plugin.wait(1.0 / 120.0);
        (void)plugin.session().takeCallbackFailures();
    });
    if (plugin.session().plugin().settingsWindow() != nullptr) {
        judge("panel frame", [&plugin](int) {
            try {
                plugin.frame(-FLT_MAX, -FLT_MAX, false);
            } catch (const HostError&) {
                // A panel that throws is the exceptions check's finding; its memory is still this one's.
            }
        });
    }
    plugin.unload();
    require(failures.empty(), failures);
}

}  // namespace host::check
