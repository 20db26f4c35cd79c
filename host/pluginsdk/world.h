// The stand-in host's game world: console variables, event hooks, one-shot timers on a game clock,
// the ball and the console log. The SDK's handles work on it; the host's console drives it.
//
// Threads: every member may be called from any thread (the host's loader, game and render threads,
// and its console). The world keeps its state behind its own lock and never holds that lock while
// a plug-in callback runs, so a callback may call back into the SDK. Listeners are called one at a
// time, in the order the lines were made, with no world lock held; a listener must not log or trace.
// References into the state behind handles (ensureBall's BallState, a variable from findVariable)
// are for the host's own thread while no plug-in code runs elsewhere; other threads go through
// handles or readBall.
// Ownership: the host owns the world through a shared pointer (World::create). Handles given to
// plug-ins refer to it weakly and do nothing once it is gone.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bakkesmod/sdk_export.h"
#include "ball_flight.h"
#include "flight_record.h"
#include "sdk_call.h"
#include "world_types.h"

// The handles the world passes to plug-in callbacks. The world only names them here: the handles
// are built over the world, and only the code that makes or calls them needs their headers.
class BallWrapper;
class GameWrapper;
namespace BakkesMod::Plugin {
class BakkesModPlugin;
}

namespace pluginsdk {

// The game function that runs each time a car touches the ball.
inline constexpr char kCarTouchEvent[] = "Function TAGame.Ball_TA.OnCarTouch";

// A firm touch: the velocity the host's own touches give where none is named (the live window's
// buttons at first, a preview without a ball, the checks).
inline constexpr Vector kFirmTouch{1000.0f, -500.0f, 200.0f};

struct LogLine {
    std::string pluginName;
    std::string text;
    std::uint64_t number = 0;  // its place among every line the world was given: the first is 1
};

class PLUGINSDK_API World : public std::enable_shared_from_this<World> {
public:
    using BallHook = std::function<void(BallWrapper caller, void* params, std::string eventName)>;
    using TimerCallback = std::function<void(GameWrapper*)>;

    static std::shared_ptr<World> create();
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World();

    // --- Plug-ins -----------------------------------------------------------------------------
    // A new identity for a plug-in about to be loaded; its handles carry it. `instance`, if given, is
    // the module's pointer to the plug-in object: a hook or timer of the plug-in's that empties it
    // (its own code called deleteMe) is reported as that, and none of the plug-in's hooks and
    // timers runs after it, until the host drops the plug-in (releasedPlugin).
    std::shared_ptr<detail::PluginScope> addPlugin(
        std::string name, const std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance = nullptr);
    // The entry point ("hook", "timer") in which the plug-in's own code emptied its instance, or null.
    const char* releasedPlugin(PluginId id) const;
    // Drops every hook and pending timer of the plug-in; by the time it returns their callbacks
    // are destroyed, with whatever they hold. Its variables stay. If a callback of the plug-in is
    // running on another thread, waits for it to return (a running hook's callback is destroyed
    // there, as it returns), so nothing of the plug-in runs once this returns; hooks and timers it
    // sets from then on are refused. Never call it from one of the plug-in's callbacks; it may be
    // called from another plug-in's.
    void dropPlugin(PluginId id);
    std::size_t hookCount(PluginId id) const;
    std::size_t pendingTimerCount(PluginId id) const;

    // --- Console variables --------------------------------------------------------------------
    // Creates the variable, or returns the existing one of that name unchanged. A new variable is
    // handed to the registration listener before it is returned.
    std::shared_ptr<detail::ConsoleVariable> registerVariable(const std::string& name, const std::string& defaultValue,
                                                              const std::string& description, bool hasMin, float min,
                                                              bool hasMax, float max, bool saveToConfig = true);
    std::shared_ptr<detail::ConsoleVariable> findVariable(const std::string& name) const;
    // In the order they were registered.
    std::vector<std::shared_ptr<detail::ConsoleVariable>> variables() const;
    // Values are set with setVariableText (console_variable.h).
    // Removes the variable; handles to it test false from now on. False if there was none.
    bool removeVariable(const std::string& name);
    // Called with each variable as it is created, before the plug-in that registers it sees it: the
    // host gives it its saved value here.
    void setRegistrationListener(std::function<void(detail::ConsoleVariable&)> listener);

    // --- The ball -----------------------------------------------------------------------------
    // The ball, or null if there is none.
    std::shared_ptr<detail::BallState> ball() const;
    // A copy of the ball's state as it is now, or nothing if there is no ball; safe while plug-in
    // callbacks change the ball on another thread.
    std::optional<detail::BallState> readBall() const;
    // Creates the ball if there is none; returns it.
    detail::BallState& ensureBall();
    // Destroys the ball; handles to it test false from now on.
    void destroyBall();
    // A car of `team` touches the ball: sets the hit team, then the velocity if one is given (on the
    // ghost too), then runs the touch event's post hooks with the ball. The ball must exist.
    void touchBall(std::uint8_t team, std::optional<Vector> velocity);

    // --- The ball's flight --------------------------------------------------------------------
    // Physics is off by default, and then nothing moves the ball but touches and plug-ins. While it
    // is on, each game tick (120 a second) flies the ball, and the ghost, by one step of
    // ball_flight.h, with the settings of the host's console variables physics_* (registered the
    // first time it is switched on, never saved to the settings file), and the world records the
    // flight (flight_record.h). Switching it on starts a new record; switching it off keeps it.
    static constexpr char kPhysicsVariablePrefix[] = "physics_";
    void setPhysics(bool on);
    bool physics() const;
    // The ghost: while it is on, a second ball that starts as a copy of the ball and then receives
    // what the host does to the ball (setBallVector, and the touches' velocities) but never what a
    // plug-in does, and is never handed to one: the flight the ball would have had without the
    // plug-ins. It exists while it is on and there is a ball.
    void setGhost(bool on);
    bool ghostOn() const;
    std::optional<FlyingBall> readGhost() const;
    // The host sets one of the ball's vectors, on the ball (created if there is none) and on the
    // ghost alike.
    void setBallVector(detail::BallVector which, const Vector& value);
    // The physics_* settings as they are now (the defaults before physics was first switched on).
    FlightSettings flightSettings() const;
    // A copy of the record from game time `since` (microseconds) on.
    FlightRecord flightRecord(std::int64_t since) const;
    // The recorded events numbered after `sequence` (0: all kept).
    std::vector<FlightEvent> flightEventsAfter(std::uint64_t sequence) const;

    // --- Rehearsal ----------------------------------------------------------------------------
    // What the plug-ins do to `count` touches by `team` of a ball with `velocity` and
    // `magnusCoefficient`: each touch on a ball of its own, its post hooks run and the timers they
    // set fired at once (and those the firings set, for a few rounds; any left are dropped unfired).
    // It runs on a thread of its own and out of the session's sight: the ball, the game clock and
    // its timers, the log, the trace and the flight stay as they were, and what a plug-in keeps per
    // thread (such as its random generator's state) is that fresh thread's, not the game's. Returns
    // each ball as the plug-ins left it. Another thread may drive the world meanwhile.
    struct RehearsedBall {
        Vector velocity;
        Vector magnusCoefficient;
    };
    std::vector<RehearsedBall> rehearseTouches(std::uint8_t team, const Vector& velocity,
                                               const Vector& magnusCoefficient, std::size_t count);

    // --- Events -------------------------------------------------------------------------------
    void addPostHook(PluginId plugin, std::string eventName, BallHook callback);
    // Runs every post hook of `eventName` in the order they were added, with `caller`. A hook added
    // while they run (by one of them, or on another thread) waits for the next run; a hook whose
    // plug-in is dropped meanwhile, and has not run yet, does not run.
    void runPostHooks(std::string_view eventName, const BallWrapper& caller);

    // --- Timers and the game clock ------------------------------------------------------------
    // Game time is kept in whole microseconds, so a delay added to any time the clock can reach
    // still counts: a late clock never swallows a timer's delay, as a clock in floating point would.
    static constexpr std::int64_t kTicksPerSecond = 1'000'000;
    // The latest the game clock can reach, about 292,000 years; advanceClock refuses to go past it.
    static constexpr std::int64_t kLatestTick = INT64_MAX - 1;

    // The game's tick, 120 a second: tick k happens at the first microsecond at or after k/120 s.
    static constexpr std::int64_t kGameTickRate = 120;
    // The time of the first tick after `time` (microseconds).
    static std::int64_t nextGameTickAfter(std::int64_t time);

    // `game` is the plug-in's own game handle, passed back to the callback; it outlives the timer
    // because the host drops a plug-in's timers before it lets its handles go. The delay is rounded
    // to the nearest microsecond, and a positive delay waits at least one; a negative delay waits
    // none, but one set by a firing timer falls due at the next tick, as a game's do, so a timer
    // that sets itself again with no delay cannot hold the clock still. A
    // delay that is not a number, or reaches past kLatestTick, never falls due.
    void addTimer(PluginId plugin, GameWrapper* game, TimerCallback callback, float delaySeconds);
    // Moves the game clock forward by `seconds` (rounded to the nearest microsecond), firing each
    // timer that falls due on the way, in order of due time (ties in the order they were set). A
    // timer set by a firing callback fires in this same advance if its own due time is reached.
    // Throws std::out_of_range, and moves nothing, if `seconds` is negative, not a number, or would
    // take the clock past kLatestTick.
    void advanceClock(double seconds);
    // Whether advanceClock(seconds) would be accepted.
    bool canAdvanceClock(double seconds) const;
    double gameTime() const;
    std::int64_t gameTicks() const;
    // Ticks of game time until the next pending timer falls due; nothing if no timer is pending or
    // the next never falls due.
    std::optional<std::int64_t> ticksToNextTimer() const;

    // --- The console log ----------------------------------------------------------------------
    // The world keeps the last kRecentLogLines lines (the live window shows them); the listener
    // sees every line as it is logged, for whoever needs more.
    static constexpr std::size_t kRecentLogLines = 1000;
    // A longer line is kept cut to this many bytes, followed by " [... cut: the line was N bytes]",
    // so that what the host keeps of the log is bounded in bytes too.
    static constexpr std::size_t kLongestLogLine = 8192;
    void log(const detail::PluginScope& plugin, std::string text);
    // A copy of the most recent lines, oldest first: at most kRecentLogLines.
    std::deque<LogLine> recentLogLines() const;
    // How many lines were ever logged.
    std::uint64_t loggedLineCount() const;
    // The lines logged after the first `loggedBefore` (a loggedLineCount() taken earlier), oldest
    // first, as far as they are still kept: copies only those, where recentLogLines() copies all.
    std::vector<LogLine> logLinesSince(std::uint64_t loggedBefore) const;
    // Called with each line as it is logged.
    void setLogListener(std::function<void(const LogLine&)> listener);
    // Called when a plug-in callback throws; the world goes on.
    void setFailureListener(std::function<void(const std::string&)> listener);

    // --- The C runtime clock -------------------------------------------------------------------
    // What C's `time` returns to this world's plug-ins (pluginsdkModuleTime, plugin_call.h):
    // `seconds` from now on, so that a run seeds the same deflections every time; the real clock
    // again when empty.
    void setRuntimeClock(std::optional<std::int64_t> seconds);
    std::optional<std::int64_t> runtimeClock() const;

    // --- Tracing ------------------------------------------------------------------------------
    // The SDK calls that reach the world from plug-ins (sdk_call.h: hooks, timeouts, variables
    // registered and looked up, what they set on the ball, lines logged), one record each, in the
    // order they are made. A line logged reaches the trace before the log's listener. Off while no
    // listener is set.
    void setTraceListener(std::function<void(const SdkCall&)> listener);
    // Whether a listener is set: the SDK's handles build a call's record only then. A call traced
    // while the listener is being replaced reaches the old one or the new one.
    bool tracing() const { return tracing_.load(std::memory_order_acquire); }
    void trace(const SdkCall& call);

private:
    World() = default;
    void reportFailure(const std::string& pluginName, const std::string& what);
    // With mutex_ held.
    std::shared_ptr<detail::ConsoleVariable> findVariableLocked(const std::string& name) const;
    // The plug-in's name, or null if it is not known (being dropped).
    struct PluginOwner;
    std::shared_ptr<PluginOwner> pluginOwnerLocked(PluginId id) const;
    // Whether the plug-in's own code emptied its instance (it called deleteMe); and, once, saying so
    // as a failure of `callback` ("timer"), after which none of its hooks and timers runs.
    static bool releasedItself(const PluginOwner& owner);
    void noteReleased(PluginOwner& owner, const char* entryPoint, const std::string& callback);
    // A callback of `plugin` has returned and whatever of it was to be destroyed is destroyed;
    // with mutex_ held.
    void finishCallbackLocked(PluginId plugin);
    detail::BallState& ensureBallLocked();
    // The flight's share of the world (world_flight.cpp), with mutex_ held.
    FlightSettings flightSettingsLocked() const;
    void flyOneTickLocked();
    // A timer of a plug-in fires while physics is on: what it did to the ball is recorded.
    struct BallBeforeFiring {
        std::shared_ptr<detail::BallState> ball;
        detail::BallState state;
    };
    std::optional<BallBeforeFiring> ballBeforeFiringLocked() const;
    void recordFiringLocked(const BallBeforeFiring& before);
    // Calls `timer`'s callback (unless `call` is false) and destroys it, with `lock` released
    // meanwhile; returns with it held.
    struct Timer;
    void fireTimerLocked(std::unique_lock<std::mutex>& lock, Timer& timer, bool call);
    // Whether the calling thread is this world's rehearsal (world_rehearsal.cpp).
    bool rehearsingHere() const;
    // runPostHooks, entered with `lock` holding mutex_; returns with it held.
    void runPostHooksLocked(std::unique_lock<std::mutex>& lock, std::string_view eventName,
                            const BallWrapper& caller);

    // A plug-in as its hooks and timers know it, even after it is dropped.
    struct PluginOwner {
        std::string name;
        const std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance = nullptr;
        std::atomic<const char*> releasedDuring{nullptr};
    };
    struct Hook {
        PluginId plugin = 0;
        std::shared_ptr<PluginOwner> owner;
        // Hooks are numbered in the order they are added; the list keeps that order.
        std::uint64_t sequence = 0;
        std::string eventName;
        BallHook callback;
        // Calls of this hook under way. A running hook stays in its place in the list, and its
        // callback stays where it is, until the last of them returns.
        std::size_t running = 0;
        // Its plug-in was dropped while it ran: the run that returns last removes it.
        bool dropped = false;
    };
    struct Timer {
        std::int64_t due = 0;
        std::uint64_t sequence = 0;
        PluginId plugin = 0;
        std::shared_ptr<PluginOwner> owner;
        GameWrapper* game = nullptr;
        TimerCallback callback;
    };
    // The order of the timer heap: true if `a` fires after `b` (later due time, or the same due
    // time and set later).
    static bool firesAfter(const Timer& a, const Timer& b);
    struct PluginRecord {
        PluginId id;
        // Shared with the plug-in's hooks and timers, whose calls are marked with its name
        // (plugin_call.h) for as long as they run, even after the plug-in is dropped.
        std::shared_ptr<PluginOwner> owner;
    };

    // Guards everything below. Lock order: listenerMutex_ before mutex_, never the other way.
    mutable std::mutex mutex_;
    // Taken while a listener runs, so that lines reach the listeners whole and in order.
    std::mutex listenerMutex_;
    // Callbacks taken out to run, per plug-in; dropPlugin waits on callbackReturned_ for none, then
    // removes the plug-in's count.
    std::map<PluginId, std::size_t> runningCallbacks_;
    std::condition_variable callbackReturned_;
    std::vector<PluginRecord> plugins_;
    std::vector<std::shared_ptr<detail::ConsoleVariable>> variables_;
    std::unordered_map<std::string, std::shared_ptr<detail::ConsoleVariable>> variableIndex_;  // by name
    std::shared_ptr<detail::BallState> ball_;
    // A list, so that a hook's node stays put while its callback runs unlocked, whatever is added
    // or removed around it; runPostHooks runs the hooks in place, copying neither list nor hook.
    std::list<Hook> hooks_;
    std::uint64_t nextHookSequence_ = 0;
    // A binary heap under firesAfter, its first element the next to fire. Its storage is kept as
    // timers come and go, so setting and firing a timer allocates nothing once it has grown.
    std::vector<Timer> timers_;
    std::vector<Timer> rehearsalTimers_;  // set during rehearseTouches, in the order set
    std::uint64_t nextTimerSequence_ = 0;
    std::int64_t now_ = 0;
    std::deque<LogLine> log_;
    std::uint64_t loggedLineCount_ = 0;
    std::function<void(const LogLine&)> logListener_;
    std::function<void(const std::string&)> failureListener_;
    std::function<void(const SdkCall&)> traceListener_;  // under listenerMutex_
    std::atomic<bool> tracing_{false};                         // whether traceListener_ is set
    std::optional<std::int64_t> runtimeClock_;
    bool physics_ = false;
    // The physics_* variables, in the order of FlightSettings' fields, once physics was switched on.
    std::vector<std::shared_ptr<detail::ConsoleVariable>> physicsVariables_;
    bool ghostOn_ = false;
    std::optional<FlyingBall> ghost_;  // with ghostOn_ and a ball
    FlightRecorder flight_;
    std::function<void(detail::ConsoleVariable&)> registrationListener_;
};

}  // namespace pluginsdk
