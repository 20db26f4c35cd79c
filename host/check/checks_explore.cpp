// Explored sessions (explore_scripts.h) as a check's process runs them: each script through the
// console language on a plug-in under check, judged after every line, and run twice.
#include <algorithm>
#include <atomic>
#include <cfloat>
#include <csignal>
#include <mutex>
#include <filesystem>
#include <sstream>

#include "checks.h"
#include "console/command_interpreter.h"
#include "console/line_reader.h"
#include "explore_scripts.h"
#include "platform/files.h"
#include "platform/process.h"
#include "plugin_under_check.h"
#include "pluginsdk/plugin_call.h"
#include "pluginsdk/process_state.h"

namespace host::check {
namespace {

// The plug-in the session unloaded last, and the calls of it that ran after that.
std::atomic<pluginsdk::PluginId> gonePlugin{0};
std::atomic<int> callsOfGone{0};

void countCallsOfGone(const pluginsdk::PluginCall& call) {
    if (call.plugin != 0 && call.plugin == gonePlugin.load()) {
        ++callsOfGone;
    }
}

// Heap a run of a session may keep once the plug-in is unloaded: what the host keeps moves by up to
// about a hundred bytes a run, now and then by a few kilobytes once (which a second run does not
// repeat), and a plug-in that keeps a kilobyte per touch passes it at its first touch.
constexpr long long kKeptBytesPerRun = 512;

// What the host put back of the process after a call, in its words: the first since the session began.
std::mutex processChangeMutex;
std::string processChange;

void noteProcessChange(const pluginsdk::ProcessStateReport& report) {
    const std::lock_guard lock(processChangeMutex);
    if (processChange.empty()) {
        processChange = pluginsdk::describe(report);
    }
}

// A line of the script failed: its number, one-based among the commands, is a figure, so that the
// message is the same wherever a shrunk script has the line.
[[noreturn]] void failAt(CheckRecords& records, std::size_t command, const std::string& message) {
    records.figure("failing command", static_cast<double>(command));
    throw CheckFailed(message);
}

// What could go wrong out of sight of the line that did it: the panel's stacks, and a plug-in
// that lives on after its unload.
void judge(PluginUnderCheck& plugin, CheckRecords& records, std::size_t command) {
    if (!plugin.panelImbalance().empty()) {
        failAt(records, command, plugin.panelImbalance());
    }
    if (const auto unloaded = plugin.session().lastUnloaded()) {
        gonePlugin = unloaded->id;
        if (unloaded->refusedOnceCut != 0) {
            failAt(records, command, "the plug-in set hooks or timers once its unload had begun (from a destructor or "
                                     "its module's static clean-up); the host refused them, as a real host may not");
        }
    }
    if (callsOfGone != 0) {
        failAt(records, command, "a call of the plug-in ran after its unload");
    }
    {
        const std::lock_guard lock(processChangeMutex);
        if (!processChange.empty()) {
            failAt(records, command, processChange);
        }
    }
    if (pluginsdk::pluginForksThatCameBack() > 0) {
        failAt(records, command, "the plug-in forked, and the forked process came back into the host's code");
    }
    if (const int signal = pluginsdk::takeStopSignalRaisedByPlugin(); signal != 0) {
        failAt(records, command, std::string("the plug-in raised ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                                     ", which ends the host");
    }
}

// Runs the script once, its transcript the console's output, the plug-in's log and, with `trace
// on`, its SDK calls. Throws CheckFailed at the first line that fails or leaves a fault behind.
std::string runOnce(const SessionScript& script, CheckOptions options, CheckRecords& records) {
    options.threads = script.threads;
    options.seed = 0;  // the clock stays at 0 until the script sets it: a file replays the same whatever the seed
    std::ostringstream transcript;
    PluginUnderCheck plugin(options, &records, transcript);
    CommandInterpreter interpreter(plugin.session());
    // Loading and unloading through the plug-in under check, which closes its settings window first.
    interpreter.addCommand("load", "load", "load the plug-in", {1}, [&plugin](const ConsoleLine&) { plugin.load(); });
    interpreter.addCommand("unload", "unload", "unload the plug-in", {1}, [&plugin](const ConsoleLine&) {
        plugin.session().plugin();  // throws if nothing is loaded, as the console's unload does
        plugin.unload();
    });
    interpreter.addCommand("reload", "reload", "unload the plug-in and load it again", {1}, [&plugin](const ConsoleLine&) {
        plugin.session().plugin();
        plugin.unload();
        plugin.load();
    });
    interpreter.addCommand("frame", "frame", "draw the settings window once", {1},
                           [&plugin](const ConsoleLine&) { plugin.frame(-FLT_MAX, -FLT_MAX, false); });
    interpreter.addCommand("click", "click NAME", "click the panel's widget that shows NAME, if one is drawn", {2},
                           [&plugin](const ConsoleLine& line) {
                               const auto widgets = plugin.frame(-FLT_MAX, -FLT_MAX, false);
                               const auto widget = widgets.find(std::string(line[1]));
                               if (widget != widgets.end()) {
                                   const float x = (widget->second.min.x + widget->second.max.x) / 2.0f;
                                   const float y = (widget->second.min.y + widget->second.max.y) / 2.0f;
                                   plugin.frame(x, y, true);
                                   plugin.frame(x, y, false);
                               }
                           });
    gonePlugin = 0;
    callsOfGone = 0;
    pluginsdk::observePluginCalls(countCallsOfGone);
    processChange.clear();
    pluginsdk::forgetToldProcessStateChanges();
    pluginsdk::listenForProcessStateChanges(noteProcessChange);
    pluginsdk::followPluginForks();
    pluginsdk::takeStopSignalRaisedByPlugin();
    const auto run = [&](std::size_t command, const auto& step) {
        try {
            step();
        } catch (const HostError& error) {
            failAt(records, command, error.what());
        }
        // A timer that threw while the session's end waited: no console line took it.
        if (const std::vector<std::string> failures = plugin.session().takeCallbackFailures(); !failures.empty()) {
            failAt(records, command, failures.front());
        }
        judge(plugin, records, command);
    };
    for (std::size_t i = 0; i < script.lines.size(); ++i) {
        run(i + 1, [&] { interpreter.execute(script.lines[i]); });
    }
    // The session's end, as a game's: the plug-in unloaded, and time for anything it left to run.
    run(script.lines.size() + 1, [&] {
        if (plugin.session().loaded()) {
            plugin.unload();
        }
    });
    run(script.lines.size() + 1, [&] { plugin.wait(1.0); });
    pluginsdk::observePluginCalls(nullptr);
    pluginsdk::listenForProcessStateChanges(nullptr);
    return transcript.str();
}

// Runs the session once more, which must print what its first run printed (else a WARN naming
// `which` run differed), and returns what the run left on the heap once the plug-in was unloaded,
// its world gone and its transcript freed: -1 where the allocator cannot say.
long long keptByRun(const SessionScript& script, const CheckOptions& options, CheckRecords& records,
                    const std::string& first, const char* which) {
    records.forgetHeldCalls();
    const long long before = heapBytesInUse();
    if (const std::string transcript = runOnce(script, options, records); transcript != first) {
        throw CheckWarned("the same session run twice printed different transcripts: " +
                          firstDifference(first, transcript, "the first printed", which));
    }
    records.forgetHeldCalls();
    return before < 0 ? -1 : heapBytesInUse() - before;
}

// A session's second and third runs repeat its first, which filled what the host and the runtime
// keep once per process; what they keep is the plug-in's. A leak must show in both runs.
void runSession(const SessionScript& script, const CheckOptions& options, CheckRecords& records) {
    const std::string first = runOnce(script, options, records);
    const long long keptBySecond = keptByRun(script, options, records, first, "the second");
    // A sanitizer's allocator holds freed memory back, and reports leaks itself; an allocator that
    // keeps freed blocks per thread counts them as in use (the runner starts the process without).
    if (kSanitizedBuild || !heapCountsExact() || keptBySecond <= kKeptBytesPerRun) {
        return;
    }
    const long long keptByThird = keptByRun(script, options, records, first, "the third");
    if (keptByThird <= kKeptBytesPerRun) {
        return;
    }
    const auto count = [&script](std::initializer_list<std::string_view> words) {
        return std::count_if(script.lines.begin(), script.lines.end(), [words](const std::string& line) {
            return std::find(words.begin(), words.end(), line.substr(0, line.find(' '))) != words.end();
        });
    };
    const long long kept = std::min(keptBySecond, keptByThird);
    const long long touches = count({"touch"});
    records.figure("heap bytes kept per run", static_cast<double>(kept));
    if (touches > 0) {
        records.figure("heap bytes kept per touch", static_cast<double>(kept) / static_cast<double>(touches));
    }
    // Counts as "word: N", in the same words whatever N: a shrunk script must fail in the same words.
    throw CheckFailed("the session kept " + std::to_string(kept) + " bytes of heap once the plug-in was unloaded, " +
                      "each time it ran, past the " + std::to_string(kKeptBytesPerRun) +
                      " bytes a run may keep (touches: " + std::to_string(touches) +
                      "; frames and clicks: " + std::to_string(count({"frame", "click"})) +
                      "; loads: " + std::to_string(count({"load", "reload"})) + ")");
}

// What a generated script may name, from a first load of the plug-in.
ExploredPlugin explore(const CheckOptions& options) {
    PluginUnderCheck plugin(options, nullptr);
    plugin.load();
    ExploredPlugin explored;
    explored.hasPanel = plugin.session().plugin().settingsWindow() != nullptr;
    for (const auto& variable : plugin.world().variables()) {
        // A name no console line can hold is the variables check's to judge; a session could only
        // fail on the line's length.
        if (variable->name.size() > kLongestConsoleLine / 2) {
            continue;
        }
        ExploredPlugin::Variable named{variable->name, variable->numeric};
        named.min = variable->hasMin ? variable->min : -10.0f;
        named.max = variable->hasMax ? variable->max : 10.0f;
        explored.variables.push_back(named);
    }
    plugin.unload();
    return explored;
}

}  // namespace

std::string exploredSessionFile(const std::string& folder, int index) {
    return folder + kPathSeparator + "session-" + std::to_string(index) + ".scenario";
}

void checkExploredSessions(const CheckOptions& options, CheckRecords& records) {
    // The first load changes the process as a session's would, and a change the host names once
    // per process (the working directory) would then be seen by no session: judged here.
    processChange.clear();
    pluginsdk::forgetToldProcessStateChanges();
    pluginsdk::listenForProcessStateChanges(noteProcessChange);
    const ExploredPlugin explored = explore(options);
    pluginsdk::listenForProcessStateChanges(nullptr);
    if (!processChange.empty()) {
        throw CheckFailed(processChange);
    }
    for (int i = 0; i < options.exploreCount; ++i) {
        const int index = options.exploreFirst + i;
        const SessionScript script = generateSession(explored, options.seed, index);
        // Written before it runs: a session that crashes the process is the runner's to run again.
        writeFileAtomically(exploredSessionFile(options.sessionsFolder, index),
                            scriptText(script, "session " + std::to_string(index) + " of check --explore, seed " +
                                                   std::to_string(options.seed)));
        runSession(script, options, records);
        records.figure(kSessionsPassed, i + 1);
    }
}

void checkReplay(const CheckOptions& options, CheckRecords& records) {
    runSession(readScript(options.replay), options, records);
}

}  // namespace host::check
