// What the host says when plug-in code crashes or hangs, and how it ends then. The host exists to
// report on the plug-in, so a plug-in's fault is a result, not the host's end by a signal:
//
//   - a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) while plug-in code runs prints the
//     plug-in, the entry point, the signal and the faulting address and a backtrace of the faulting
//     thread with function names and source lines on standard error, then the program exits with
//     kPluginCrashedStatus;
//   - a plug-in call that has not returned after the plug-in timeout is reported the same way, with
//     a backtrace of where the stuck thread is, and the program exits with kPluginHungStatus;
//   - a fatal signal in the host's own code says so, and the program exits with kHostCrashedStatus.
//
// Nothing is saved on the way out: the settings file keeps its last good contents (it is only
// ever replaced whole).
//
// Which plug-in and entry point run on a thread is what the plug-in call boundary marks
// (pluginsdk/plugin_call.h). On Windows the backtrace names modules and offsets only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace host {

inline constexpr int kPluginCrashedStatus = 3;
inline constexpr int kPluginHungStatus = 4;
inline constexpr int kHostCrashedStatus = 70;

// The program's fault reports, from construction to destruction.
class FaultReports {
public:
    // [main thread, at start-up, before any other thread of the host starts] `pluginTimeoutSeconds`
    // is how long one plug-in call may run before it counts as hung; 0 turns the watch off. With a
    // `recordFile`, each report is also appended to it as one JSON line (a check's process: the
    // runner reads it, check/check_records.h): {"fault": "crash" or "hang", "message": its first
    // line without "quorvel-host: ", "report": the whole report as standard error shows it}.
    explicit FaultReports(double pluginTimeoutSeconds, const std::string& recordFile = {});
    // Stops the watch over hangs. The crash reports stay on until the process ends.
    ~FaultReports();
    FaultReports(const FaultReports&) = delete;
    FaultReports& operator=(const FaultReports&) = delete;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

namespace detail {
// A name from the plug-in copied into a fixed buffer, cut to fit, without allocating (a crashed
// thread may hold the heap's lock); its control characters would reach a terminal raw.
inline void copyPrintable(char* to, std::size_t size, const char* from) {
    std::size_t i = 0;
    for (; from != nullptr && from[i] != '\0' && i + 1 < size; ++i) {
        const auto byte = static_cast<unsigned char>(from[i]);
        to[i] = byte < 0x20 || byte == 0x7f ? '?' : from[i];
    }
    to[i] = '\0';
}

// [main thread, at start-up] The platform's half: the handlers of fatal signals (POSIX) or of
// unhandled exceptions (Windows), and whatever they need ready before a fault, with the file the
// reports are recorded in (none if empty).
void startCrashReports(const std::string& recordFile);
// [the watch over hangs] Makes the thread stuck in a plug-in call (`thread`, as callsInFlight names
// it) report where it is, and ends the program with kPluginHungStatus; does not return.
[[noreturn]] void reportHungThread(std::uint64_t thread, double pluginTimeoutSeconds);
}  // namespace detail

}  // namespace host
