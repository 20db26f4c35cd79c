// Where and how the plug-in's code runs: on which of the host's threads, without exceptions, and
// within its time budgets.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cfloat>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "checks.h"
#include "plugin_under_check.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/plugin_call.h"

namespace host::check {
namespace {

using pluginsdk::kFirmTouch;

// Every plug-in call seen, with its thread.
std::mutex seenMutex;
std::vector<std::pair<pluginsdk::EntryPoint, std::thread::id>> seenCalls;

void recordCall(const pluginsdk::PluginCall& call) {
    const std::lock_guard lock(seenMutex);
    seenCalls.emplace_back(call.entryPoint, std::this_thread::get_id());
}

std::thread::id idOf(HostThreads& threads, HostThread owner) {
    std::thread::id id;
    threads.run(owner, [&id] { id = std::this_thread::get_id(); });
    return id;
}

}  // namespace

void checkThreads(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    HostSession& session = plugin.session();
    const std::thread::id loader = idOf(session.threads(), HostThread::Loader);
    const std::thread::id game = idOf(session.threads(), HostThread::Game);
    const std::thread::id render = idOf(session.threads(), HostThread::Render);
    // SDK calls made outside any call of the host's into the plug-in: from a thread of its own,
    // which every handle's header allows ("[any thread]"). Counted, not judged.
    std::atomic<int> strayCalls{0};
    const int strays = session.addSdkCallObserver([&strayCalls](const pluginsdk::SdkCall&) {
        if (pluginsdk::currentPluginCall() == nullptr) {
            ++strayCalls;
        }
    });
    seenCalls.clear();
    pluginsdk::observePluginCalls(recordCall);
    plugin.load();
    // As a game runs a plug-in: the render thread draws its panel while the game thread runs its
    // hooks and timers, for many events.
    const bool hasPanel = session.plugin().settingsWindow() != nullptr;
    const int events = amountsAt(options.level).touches;
    if (hasPanel) {
        plugin.startFrames(events);
    }
    for (int i = 0; i < events; ++i) {
        plugin.touch(static_cast<std::uint8_t>(i % 2), kFirmTouch);
        plugin.wait(0.02);
    }
    if (hasPanel) {
        plugin.finishFrames();
    }
    plugin.unload();
    pluginsdk::observePluginCalls(nullptr);
    session.removeSdkCallObserver(strays);

    using pluginsdk::CallingThread;
    const std::map<CallingThread, std::set<std::thread::id>> owners = {
        {CallingThread::Loader, {loader}}, {CallingThread::Game, {game}}, {CallingThread::Render, {render}},
        {CallingThread::GameOrLoader, {game, loader}}};
    const std::map<std::thread::id, std::string> names = {{loader, "the loader thread"}, {game, "the game thread"},
                                                          {render, "the render thread"}};
    const std::lock_guard lock(seenMutex);
    for (const auto& [entry, thread] : seenCalls) {
        require(owners.at(pluginsdk::callingThread(entry)).count(thread) == 1,
                std::string("the plug-in's ") + pluginsdk::entryPointName(entry) + " ran on " +
                    (names.count(thread) ? names.at(thread) : std::string("a thread not the host's")));
    }
    records.figure("plug-in calls", static_cast<double>(seenCalls.size()));
    records.figure("SDK calls from the plug-in's own threads", strayCalls.load());
}

void checkExceptions(const CheckOptions& options, CheckRecords& records) {
    // The boundary turns a throw into an error naming the entry point; here each is a failure.
    PluginUnderCheck plugin(options, &records);
    plugin.load();
    for (const std::uint8_t team : {0, 1}) {
        plugin.touch(team, kFirmTouch);
    }
    plugin.wait(0.05);
    const std::vector<std::string> failures = plugin.session().takeCallbackFailures();
    require(failures.empty(), failures.empty() ? std::string() : failures.front());
    if (plugin.session().plugin().settingsWindow() != nullptr) {
        plugin.frame(-FLT_MAX, -FLT_MAX, false);
    }
    plugin.unload();
    plugin.load();
    plugin.unload();
}

void checkBudgets(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, nullptr);
    plugin.load();
    // The plug-in's whole way: every number it reads at 1 (a switch on, a factor of one, a share of one).
    for (const auto& variable : plugin.world().variables()) {
        if (variable->numeric) {
            (void)pluginsdk::setVariableText(*variable, "1");
        }
    }
    const int runs = amountsAt(options.level).timedRuns;
    using Clock = std::chrono::steady_clock;
    const auto measure = [runs](const auto& once) {
        std::vector<double> microseconds;
        microseconds.reserve(static_cast<std::size_t>(runs));
        for (int i = 0; i < runs; ++i) {
            const Clock::time_point started = Clock::now();
            once(i);
            microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - started).count());
        }
        std::sort(microseconds.begin(), microseconds.end());
        return std::pair{microseconds[microseconds.size() / 2], microseconds[microseconds.size() * 99 / 100]};
    };
    // `figure`: the short name its times are recorded under.
    const auto judge = [&records](const std::string& what, const std::string& figure, std::pair<double, double> times,
                                  double budget) {
        records.figure(figure + " median us", times.first);
        records.figure(figure + " 99th percentile us", times.second);
        require(times.first <= budget, what + " takes " + std::to_string(times.first) + " us (median; 99th percentile " +
                                           std::to_string(times.second) + " us), over its budget of " +
                                           std::to_string(budget) + " us");
    };
    const auto touch = measure([&plugin](int i) {
        plugin.touch(static_cast<std::uint8_t>(i % 2), kFirmTouch);
        plugin.wait(0.011);
    });
    judge("a touch cycle", "touch", touch, options.budgetTouchMicroseconds);
    if (plugin.session().plugin().settingsWindow() != nullptr) {
        const auto frame = measure([&plugin](int) { plugin.frame(-FLT_MAX, -FLT_MAX, false); });
        judge("a panel frame", "frame", frame, options.budgetFrameMicroseconds);
    }
    plugin.unload();
}

}  // namespace host::check
