// The plug-in's lifetime: loads and unloads, what stays behind, what a reload keeps, and whether two
// runs are the same.
#include <atomic>
#include <chrono>
#include <cmath>
#include <sstream>

#include "checks.h"
#include "plugin_under_check.h"
#include "platform/dynamic_library.h"
#include "platform/process.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "pluginsdk/number_text.h"
#include "pluginsdk/plugin_call.h"
#include "printable_text.h"

namespace host::check {
namespace {

using pluginsdk::kFirmTouch;

struct Holdings {
    pluginsdk::HandleCounts handles = pluginsdk::liveHandles();
    ProcessCounts process = processCounts();
};

// What grew from `before` to `after`, in words; empty if nothing did.
std::string grown(const Holdings& before, const Holdings& after, int cycles) {
    std::string text;
    const auto say = [&](long long growth, const char* what, long long slack = 0) {
        if (growth > slack) {
            text += (text.empty() ? "" : "; ") + std::string(what) + " grew by " + std::to_string(growth);
        }
    };
    say(after.handles.actors - before.handles.actors, "live ball handles");
    say(after.handles.variables - before.handles.variables, "live variable handles");
    if (before.process.threads >= 0) {
        say(after.process.threads - before.process.threads, "threads");
    }
    if (before.process.openFiles >= 0) {
        say(after.process.openFiles - before.process.openFiles, "open files");
    }
    // The allocator keeps some of what it is given back; a plug-in that leaks grows past this.
    // A host built with AddressSanitizer or ThreadSanitizer keeps far more (freed memory held in
    // quarantine, shadow memory): there the sanitizer judges memory, not this check.
    if (before.process.residentKilobytes >= 0 && !kSanitizedBuild) {
        say(after.process.residentKilobytes - before.process.residentKilobytes, "resident memory (kB)", 4096);
    }
    return text.empty() ? text : text + " over " + std::to_string(cycles) + " cycles";
}

// The plug-in whose calls are watched once its unload has completed.
std::atomic<pluginsdk::PluginId> unloadedPlugin{0};
std::atomic<int> callsOnceUnloaded{0};

void countCallsOnceUnloaded(const pluginsdk::PluginCall& call) {
    if (call.plugin != 0 && call.plugin == unloadedPlugin.load()) {
        ++callsOnceUnloaded;
    }
}

// One load, two touches and an unload; returns the file the module was opened from.
std::string loadCycle(PluginUnderCheck& plugin) {
    plugin.load();
    std::string openedFrom = plugin.session().plugin().openedFrom();
    plugin.touch(0, kFirmTouch);
    plugin.touch(1, kFirmTouch);
    plugin.wait(0.05);
    plugin.unload();
    return openedFrom;
}

// Fails if the module opened from `path` is still in the process after its unload, saying why.
void requireUnmapped(const std::string& path, long threadsGrown) {
    const std::optional<std::vector<std::string>> reasons = whyStillMapped(path);
    if (!reasons) {
        return;
    }
    std::string why;
    for (const std::string& reason : *reasons) {
        why += (why.empty() ? "" : "; ") + reason;
    }
    if (threadsGrown > 0) {
        why += (why.empty() ? "" : "; ") + std::to_string(threadsGrown) + " threads more than before its load may still run in it";
    }
    if (why.empty()) {
        why = "nothing in its image says why: a thread of its own may still run in it, or it opened itself again";
    }
    throw CheckFailed("the module is still mapped after its unload, so its code and data stay for the life of the process: " + why);
}

}  // namespace

void measureLoadCycle(const CheckOptions& options, CheckRecords& records) {
    // Its SDK calls recorded, as most checks and every explored session record them: a plug-in
    // that makes many calls per load pays for their records there too.
    PluginUnderCheck plugin(options, &records);
    loadCycle(plugin);  // the first pays for what later ones find ready
    constexpr int kTimed = 2;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimed; ++i) {
        loadCycle(plugin);
    }
    records.figure(kSecondsPerLoadCycle,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() / kTimed);
}

void checkLoadUnloadCycles(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, nullptr);
    const auto cycle = [&plugin] {
        const long threads = processCounts().threads;
        const std::string openedFrom = loadCycle(plugin);
        requireUnmapped(openedFrom, threads >= 0 ? processCounts().threads - threads : 0);
    };
    const int cycles = amountsAt(options.level).cycles;
    // The first cycles fill what the host and the runtime keep for later ones.
    constexpr int kWarmUp = 2;
    for (int i = 0; i < kWarmUp; ++i) {
        cycle();
        records.progress("cycles", i + 1, kWarmUp + cycles);
    }
    const Holdings before;
    for (int i = 0; i < cycles; ++i) {
        cycle();
        records.progress("cycles", kWarmUp + i + 1, kWarmUp + cycles);
    }
    const Holdings after;
    records.figure("cycles", cycles);
    records.figure("handle growth", static_cast<double>((after.handles.actors - before.handles.actors) +
                                                        (after.handles.variables - before.handles.variables)));
    if (before.process.residentKilobytes >= 0) {
        records.figure("resident memory growth kB",
                       static_cast<double>(after.process.residentKilobytes - before.process.residentKilobytes));
    }
    const std::string growth = grown(before, after, cycles);
    require(growth.empty(), growth);
}

void checkUnloadWithPending(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    plugin.load();
    const pluginsdk::PluginId id = plugin.session().plugin().id();
    plugin.touch(0, kFirmTouch);
    plugin.touch(1, kFirmTouch);
    records.figure("timers pending at the unload", static_cast<double>(plugin.world().pendingTimerCount(id)));
    records.figure("hooks at the unload", static_cast<double>(plugin.world().hookCount(id)));
    plugin.unload();
    unloadedPlugin = id;
    callsOnceUnloaded = 0;
    pluginsdk::observePluginCalls(countCallsOnceUnloaded);
    plugin.touch(1, kFirmTouch);
    plugin.wait(2.0);
    pluginsdk::observePluginCalls(nullptr);
    const std::uint32_t refused = plugin.session().lastUnloaded()->refusedOnceCut;
    require(refused == 0, "the plug-in set " + std::to_string(refused) +
                              " hooks or timers once its unload had begun (from a destructor or its module's static "
                              "clean-up); the host refused them, as a real host may not");
    require(callsOnceUnloaded == 0, std::to_string(callsOnceUnloaded.load()) + " calls of the plug-in ran after its object was gone");
    require(plugin.world().hookCount(id) == 0 && plugin.world().pendingTimerCount(id) == 0,
            "hooks or timers of the unloaded plug-in are still in the world");
}

void checkReloadKeepsValues(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    pluginsdk::World& world = plugin.world();
    plugin.load();
    std::vector<std::pair<std::shared_ptr<pluginsdk::detail::ConsoleVariable>, std::string>> set;
    int index = 0;
    for (const auto& variable : world.variables()) {
        const std::string value = variable->numeric ? pluginsdk::formatFloat(variable->number + 1.0f + static_cast<float>(index))
                                                    : "checked " + std::to_string(index);
        ++index;
        (void)pluginsdk::setVariableText(*variable, value);  // clamped to its range, if it has one
        set.emplace_back(variable, variable->value);
    }
    plugin.unload();
    plugin.load();
    for (const auto& [variable, value] : set) {
        require(world.findVariable(variable->name) == variable && variable->value == value,
                variable->name + " was " + quoted(value) + " before the reload and is " + quoted(variable->value) + " after");
    }
    plugin.unload();
}

void checkDeterminism(const CheckOptions& options, CheckRecords& records) {
    const auto run = [&options, &records] {
        // The plug-in's log lines and SDK calls, and the ball's velocity after each touch.
        std::ostringstream transcript;
        PluginUnderCheck plugin(options, &records, transcript);
        const int calls = plugin.session().addSdkCallObserver([&transcript](const pluginsdk::SdkCall& call) {
            if (call.kind != pluginsdk::SdkCall::Kind::Log) {
                transcript << pluginsdk::describe(call) << '\n';
            }
        });
        plugin.load();
        std::mt19937_64 random = randomFor(options, "determinism");
        for (const auto& variable : plugin.world().variables()) {
            static const char* const kValues[] = {"0", "0.5", "1", "10"};
            if (variable->numeric) {
                (void)pluginsdk::setVariableText(*variable, kValues[random() % 4]);
            }
        }
        std::uniform_real_distribution<float> component(-2000.0f, 2000.0f);
        const int touches = amountsAt(options.level).touches / 10;
        for (int i = 0; i < touches; ++i) {
            plugin.touch(static_cast<std::uint8_t>(i % 2), Vector{component(random), component(random), component(random)});
            plugin.wait(0.02);
            transcript << "velocity " << pluginsdk::formatVector(plugin.velocity()) << '\n';
        }
        plugin.unload();
        plugin.session().removeSdkCallObserver(calls);
        return transcript.str();
    };
    const std::string first = run();
    const std::string second = run();
    records.figure("transcript bytes", static_cast<double>(first.size()));
    // FNV-1a's 32 bits: a figure is a double, which holds them exactly; enough to tell two runs'
    // transcripts apart at a glance, across builds and machines.
    std::uint32_t hash = 2166136261u;
    for (const char c : first) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    records.figure("transcript hash", hash);
    // The host fixes the module's `time` and nothing else: a plug-in may read another clock, or
    // race its own threads, and still keep the contract. Worth knowing, not a fault.
    if (first != second) {
        throw CheckWarned("two runs with the same clock and touches differ, so the plug-in reads something the host "
                          "does not fix (a clock other than time(), its own threads): " +
                          firstDifference(first, second, "the first printed", "the second"));
    }
}

}  // namespace host::check
