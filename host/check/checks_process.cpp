// What the plug-in leaves changed of the process it shares with the host. The host puts back what
// it owns after each call (pluginsdk/process_state.h) and tells what it put back; this check fails
// on each of those, and on what the host does not own but a plug-in's entry point left changed all
// the same: the process-wide locale and working directory, any signal's handling, the standard
// descriptors, and threads still running once the plug-in is unloaded.
#include <clocale>
#include <cfloat>
#include <filesystem>
#include <locale>
#include <mutex>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#endif

#include "checks.h"
#include "plugin_under_check.h"
#include "platform/process.h"
#include "pluginsdk/process_state.h"
#include "printable_text.h"

namespace host::check {
namespace {

std::mutex toldMutex;
std::vector<std::string> told;  // what the host put back, in its words

void noteWhatTheHostPutBack(const pluginsdk::ProcessStateReport& report) {
    const std::lock_guard lock(toldMutex);
    told.push_back(pluginsdk::describe(report));
}

// The parts of the process a plug-in can change under the host, each as text: equal texts, nothing
// changed.
struct ProcessState {
    std::vector<std::pair<std::string, std::string>> parts;  // what, and how it stands

    static ProcessState now() {
        ProcessState state;
        const auto add = [&state](std::string what, std::string how) { state.parts.emplace_back(std::move(what), std::move(how)); };
        const char* locale = std::setlocale(LC_ALL, nullptr);
        add("the process's C locale", locale != nullptr ? locale : "(none)");
        add("the C++ global locale", std::locale().name());
        std::error_code error;
        add("the working directory", std::filesystem::current_path(error).string());
#if !defined(_WIN32)
        for (int signal = 1; signal < NSIG; ++signal) {
            struct sigaction action {};
            if (signal != SIGKILL && signal != SIGSTOP && ::sigaction(signal, nullptr, &action) == 0) {
                const void* handler = (action.sa_flags & SA_SIGINFO) != 0 ? reinterpret_cast<void*>(action.sa_sigaction)
                                                                          : reinterpret_cast<void*>(action.sa_handler);
                add("the handling of " + signalName(signal),
                    std::to_string(reinterpret_cast<std::uintptr_t>(handler)) + "/" + std::to_string(action.sa_flags));
            }
        }
        for (const int descriptor : {0, 1, 2}) {
            struct stat status {};
            const int flags = ::fcntl(descriptor, F_GETFL);
            add(std::string("standard ") + (descriptor == 0 ? "input" : descriptor == 1 ? "output" : "error"),
                flags < 0 || ::fstat(descriptor, &status) != 0
                    ? std::string("closed")
                    : std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino) + " flags " + std::to_string(flags));
        }
#endif
        return state;
    }

    static std::string signalName(int signal) {
#if !defined(_WIN32)
        if (const char* abbreviation = ::sigabbrev_np(signal)) {
            return "SIG" + std::string(abbreviation);
        }
#endif
        return "signal " + std::to_string(signal);
    }
};

// "its onLoad changed X (from A to B)" for each part that differs, into `changes`.
void compare(const ProcessState& before, const ProcessState& after, const char* entryPoints,
             std::vector<std::string>& changes) {
    for (std::size_t i = 0; i < before.parts.size() && i < after.parts.size(); ++i) {
        if (before.parts[i].second != after.parts[i].second) {
            changes.push_back(std::string("its ") + entryPoints + " changed " + before.parts[i].first + " (" +
                              printable(before.parts[i].second) + " before, " + printable(after.parts[i].second) +
                              " after), and left it so");
        }
    }
}

}  // namespace

void checkProcessState(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    told.clear();
    const pluginsdk::ProcessStateListener previous = pluginsdk::listenForProcessStateChanges(noteWhatTheHostPutBack);
    std::vector<std::string> changes;
    const long threadsBefore = processCounts().threads;
    ProcessState state = ProcessState::now();
    pluginsdk::followPluginForks();
    pluginsdk::takeStopSignalRaisedByPlugin();
    const auto phase = [&](const char* entryPoints, const auto& run) {
        run();
        if (const int cameBack = pluginsdk::pluginForksThatCameBack(); cameBack > 0) {
            changes.push_back(std::string("its ") + entryPoints + " forked, and the forked process came back into the host's code (" +
                              std::to_string(cameBack) + (cameBack == 1 ? " time" : " times") +
                              "): a fork that does not exec runs the host a second time");
        }
        if (const int signal = pluginsdk::takeStopSignalRaisedByPlugin(); signal != 0) {
            changes.push_back(std::string("its ") + entryPoints + " raised " + ProcessState::signalName(signal) +
                              ", which ends the host");
        }
        ProcessState after = ProcessState::now();
        compare(state, after, entryPoints, changes);
        state = std::move(after);
    };
    phase("static set-up, getPlugin or onLoad", [&] { plugin.load(); });
    phase("hooks or timers", [&] {
        plugin.touch(0, pluginsdk::kFirmTouch);
        plugin.touch(1, pluginsdk::kFirmTouch);
        plugin.wait(0.05);
    });
    if (plugin.session().plugin().settingsWindow() != nullptr) {
        phase("panel", [&] { plugin.frame(-FLT_MAX, -FLT_MAX, false); });
    }
    phase("onUnload, deleteMe or static clean-up", [&] { plugin.unload(); });
    const long threadsAfter = processCounts().threads;
    pluginsdk::listenForProcessStateChanges(previous);
    {
        const std::lock_guard lock(toldMutex);
        changes.insert(changes.begin(), told.begin(), told.end());
    }
    if (threadsBefore >= 0 && threadsAfter > threadsBefore) {
        changes.push_back("its threads outlived it: " + std::to_string(threadsAfter - threadsBefore) +
                          " more running once it was unloaded");
    }
    records.figure("changes", static_cast<double>(changes.size()));
    std::string all;
    for (const std::string& change : changes) {
        all += (all.empty() ? "" : "; ") + change;
    }
    require(changes.empty(), all);
}

}  // namespace host::check
