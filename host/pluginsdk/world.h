// The stand-in host's game world: console variables, event hooks, one-shot timers on a game clock,
// the ball and the console log. The SDK's handles work on it; the host's console drives it.
//
// Threads: the world is not locked. The host drives it, and the plug-in callbacks it runs, from one
// thread at a time.
// Ownership: the host owns the world through a shared pointer (World::create). Handles given to
// plug-ins refer to it weakly and do nothing once it is gone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bakkesmod/sdk_export.h"
#include "world_types.h"

// The handles the world passes to plug-in callbacks. The world only names them here: the handles
// are built over the world, and only the code that makes or calls them needs their headers.
class BallWrapper;
class GameWrapper;

namespace pluginsdk {

// The game function that runs each time a car touches the ball.
inline constexpr char kCarTouchEvent[] = "Function TAGame.Ball_TA.OnCarTouch";

struct LogLine {
    std::string pluginName;
    std::string text;
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
    // A new identity for a plug-in about to be loaded; its handles carry it.
    std::shared_ptr<detail::PluginScope> addPlugin(std::string name);
    // Drops every hook and pending timer of the plug-in (the callbacks are destroyed here, with
    // whatever they hold). Its variables stay.
    void dropPlugin(PluginId id);
    std::size_t hookCount(PluginId id) const;
    std::size_t pendingTimerCount(PluginId id) const;

    // --- Console variables --------------------------------------------------------------------
    // Creates the variable, or returns the existing one of that name unchanged. A new variable is
    // handed to the registration listener before it is returned.
    std::shared_ptr<detail::ConsoleVariable> registerVariable(const std::string& name, const std::string& defaultValue,
                                                              const std::string& description, bool hasMin, float min,
                                                              bool hasMax, float max);
    std::shared_ptr<detail::ConsoleVariable> findVariable(const std::string& name) const;
    // In the order they were registered.
    const std::vector<std::shared_ptr<detail::ConsoleVariable>>& variables() const { return variables_; }
    // Values are set with setVariableText (console_variable.h).
    // Removes the variable; handles to it test false from now on. False if there was none.
    bool removeVariable(const std::string& name);
    // Called with each variable as it is created, before the plug-in that registers it sees it: the
    // host gives it its saved value here.
    void setRegistrationListener(std::function<void(detail::ConsoleVariable&)> listener);

    // --- The ball -----------------------------------------------------------------------------
    // The ball, or null if there is none.
    std::shared_ptr<detail::BallState> ball() const { return ball_; }
    // Creates the ball if there is none; returns it.
    detail::BallState& ensureBall();
    // Destroys the ball; handles to it test false from now on.
    void destroyBall();
    // A car of `team` touches the ball: sets the hit team, then the velocity if one is given, then
    // runs the touch event's post hooks with the ball. The ball must exist.
    void touchBall(std::uint8_t team, std::optional<Vector> velocity);

    // --- Events -------------------------------------------------------------------------------
    void addPostHook(PluginId plugin, std::string eventName, BallHook callback);
    // Runs every post hook of `eventName` in the order they were added, with `caller`.
    void runPostHooks(const std::string& eventName, const BallWrapper& caller);

    // --- Timers and the game clock ------------------------------------------------------------
    // Game time is kept in whole microseconds, so a delay added to any time the clock can reach
    // still counts: a late clock never swallows a timer's delay, as a clock in floating point would.
    static constexpr std::int64_t kTicksPerSecond = 1'000'000;
    // The latest the game clock can reach, about 292,000 years; advanceClock refuses to go past it.
    static constexpr std::int64_t kLatestTick = INT64_MAX - 1;

    // `game` is the plug-in's own game handle, passed back to the callback; it outlives the timer
    // because the host drops a plug-in's timers before it lets its handles go. The delay is rounded
    // to the nearest microsecond, and a positive delay waits at least one; a negative delay waits
    // none. A delay that is not a number, or reaches past kLatestTick, never falls due.
    void addTimer(PluginId plugin, GameWrapper* game, TimerCallback callback, float delaySeconds);
    // Moves the game clock forward by `seconds` (rounded to the nearest microsecond), firing each
    // timer that falls due on the way, in order of due time (ties in the order they were set). A
    // timer set by a firing callback fires in this same advance if its own due time is reached.
    // Throws std::out_of_range, and moves nothing, if `seconds` is negative, not a number, or would
    // take the clock past kLatestTick.
    void advanceClock(double seconds);
    // Whether advanceClock(seconds) would be accepted.
    bool canAdvanceClock(double seconds) const;
    double gameTime() const { return static_cast<double>(now_) / kTicksPerSecond; }
    std::int64_t gameTicks() const { return now_; }

    // --- The console log ----------------------------------------------------------------------
    // The world keeps the last kRecentLogLines lines (the live window shows them); the listener
    // sees every line as it is logged, for whoever needs more.
    static constexpr std::size_t kRecentLogLines = 1000;
    void log(const detail::PluginScope& plugin, std::string text);
    // The most recent lines, oldest first: at most kRecentLogLines.
    const std::deque<LogLine>& recentLogLines() const { return log_; }
    // How many lines were ever logged.
    std::uint64_t loggedLineCount() const { return loggedLineCount_; }
    // Called with each line as it is logged.
    void setLogListener(std::function<void(const LogLine&)> listener);
    // Called when a plug-in callback throws; the world goes on.
    void setFailureListener(std::function<void(const std::string&)> listener);

    // --- Tracing ------------------------------------------------------------------------------
    // The SDK calls that reach the world from plug-ins ("hook ...", "timeout ...", "registerCvar
    // ...", "getCvar ..."), one line each, in the order they are made. Off while no listener is set.
    void setTraceListener(std::function<void(const std::string&)> listener);
    // Whether a listener is set: the SDK's handles build a call's text only then.
    bool tracing() const { return static_cast<bool>(traceListener_); }
    void trace(const std::string& call);

private:
    World() = default;
    void reportFailure(PluginId plugin, const std::string& what);

    struct Hook {
        PluginId plugin;
        std::string eventName;
        BallHook callback;
    };
    struct Timer {
        PluginId plugin;
        GameWrapper* game;
        TimerCallback callback;
    };
    struct PluginRecord {
        PluginId id;
        std::string name;
    };

    std::vector<PluginRecord> plugins_;
    PluginId nextPluginId_ = 1;
    std::vector<std::shared_ptr<detail::ConsoleVariable>> variables_;
    std::shared_ptr<detail::BallState> ball_;
    std::vector<Hook> hooks_;
    // Keyed by (due tick, sequence number): the map's order is the firing order.
    std::map<std::pair<std::int64_t, std::uint64_t>, Timer> timers_;
    std::uint64_t nextTimerSequence_ = 0;
    std::int64_t now_ = 0;
    std::deque<LogLine> log_;
    std::uint64_t loggedLineCount_ = 0;
    std::function<void(const LogLine&)> logListener_;
    std::function<void(const std::string&)> failureListener_;
    std::function<void(const std::string&)> traceListener_;
    std::function<void(detail::ConsoleVariable&)> registrationListener_;
};

}  // namespace pluginsdk
