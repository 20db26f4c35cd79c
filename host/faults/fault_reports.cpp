#include "fault_reports.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/process.h"
#include "pluginsdk/host_environment.h"
#include "pluginsdk/plugin_call.h"

namespace host {

// The watch over hangs: a thread that looks at the plug-in calls in flight a few times a second.
// A call is known by its thread and its number there; one seen in flight for the whole timeout is
// hung. Looking costs the calls nothing but a store at their start and end (plugin_call.h), so the
// watch's resolution is its period.
struct FaultReports::Watch {
    // Returns once the thread runs: on Windows a starting thread needs the system's loader lock,
    // which a module's static set-up that hangs holds for ever; the watch must be past that first.
    explicit Watch(double timeout) : timeoutSeconds(timeout), thread([this] { run(); }) {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return running; });
    }
    ~Watch() {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
    }

    void run() {
        keepStopSignalsOff();
        pluginsdk::adoptHostEnvironment();
        using Clock = std::chrono::steady_clock;
        constexpr auto kPeriod = std::chrono::milliseconds(100);
        struct Seen {
            std::uint64_t call;
            Clock::time_point since;
        };
        std::map<std::uint64_t, Seen> seen;  // by thread
        std::unique_lock lock(mutex);
        running = true;
        wake.notify_all();
        while (!wake.wait_for(lock, kPeriod, [this] { return stopping; })) {
            const Clock::time_point now = Clock::now();
            std::map<std::uint64_t, Seen> stillInFlight;
            for (const pluginsdk::CallInFlight& call : pluginsdk::callsInFlight()) {
                const auto earlier = seen.find(call.thread);
                const bool same = earlier != seen.end() && earlier->second.call == call.call;
                const Seen entry = same ? earlier->second : Seen{call.call, now};
                if (std::chrono::duration<double>(now - entry.since).count() >= timeoutSeconds) {
                    detail::reportHungThread(call.thread, timeoutSeconds);
                }
                stillInFlight.emplace(call.thread, entry);
            }
            seen = std::move(stillInFlight);
        }
    }

    const double timeoutSeconds;
    std::mutex mutex;
    std::condition_variable wake;
    bool running = false;
    bool stopping = false;
    std::thread thread;  // last: it starts once everything above exists
};

FaultReports::FaultReports(double pluginTimeoutSeconds, const std::string& recordFile) {
    detail::startCrashReports(recordFile);
    if (pluginTimeoutSeconds > 0) {
        watch_ = std::make_unique<Watch>(pluginTimeoutSeconds);
    }
}

FaultReports::~FaultReports() = default;

}  // namespace host
