#include "world.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "bakkesmod/wrappers/game_wrapper.h"
#include "console_variable.h"

namespace pluginsdk {

std::shared_ptr<World> World::create() {
    return std::shared_ptr<World>(new World());
}

World::~World() = default;

// --- Plug-ins ---------------------------------------------------------------------------------

std::shared_ptr<detail::PluginScope> World::addPlugin(std::string name) {
    auto scope = std::make_shared<detail::PluginScope>();
    scope->world = weak_from_this();
    scope->id = nextPluginId_++;
    scope->name = name;
    plugins_.push_back({scope->id, std::move(name)});
    return scope;
}

void World::dropPlugin(PluginId id) {
    // Move the callbacks out first and destroy them after the containers are consistent again:
    // destroying a callback releases the handles it holds, which must not find the world mid-edit.
    std::vector<Hook> droppedHooks;
    std::vector<Timer> droppedTimers;
    for (auto it = hooks_.begin(); it != hooks_.end();) {
        if (it->plugin == id) {
            droppedHooks.push_back(std::move(*it));
            it = hooks_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second.plugin == id) {
            droppedTimers.push_back(std::move(it->second));
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(plugins_, [id](const PluginRecord& record) { return record.id == id; });
}

std::size_t World::hookCount(PluginId id) const {
    return static_cast<std::size_t>(
        std::count_if(hooks_.begin(), hooks_.end(), [id](const Hook& hook) { return hook.plugin == id; }));
}

std::size_t World::pendingTimerCount(PluginId id) const {
    return static_cast<std::size_t>(std::count_if(
        timers_.begin(), timers_.end(), [id](const auto& entry) { return entry.second.plugin == id; }));
}

// --- Console variables ------------------------------------------------------------------------

std::shared_ptr<detail::ConsoleVariable> World::registerVariable(const std::string& name,
                                                                 const std::string& defaultValue,
                                                                 const std::string& description, bool hasMin,
                                                                 float min, bool hasMax, float max) {
    if (auto existing = findVariable(name)) {
        return existing;
    }
    variables_.push_back(std::make_shared<detail::ConsoleVariable>(
        makeVariable(name, defaultValue, description, hasMin, min, hasMax, max)));
    return variables_.back();
}

std::shared_ptr<detail::ConsoleVariable> World::findVariable(const std::string& name) const {
    const auto found = std::find_if(variables_.begin(), variables_.end(),
                                    [&name](const auto& variable) { return variable->name == name; });
    return found == variables_.end() ? nullptr : *found;
}

bool World::removeVariable(const std::string& name) {
    const auto removed = std::erase_if(variables_, [&name](const auto& variable) { return variable->name == name; });
    return removed > 0;
}

// --- The ball ---------------------------------------------------------------------------------

detail::BallState& World::ensureBall() {
    if (!ball_) {
        ball_ = std::make_shared<detail::BallState>();
    }
    return *ball_;
}

void World::destroyBall() {
    ball_.reset();
}

void World::touchBall(std::uint8_t team, std::optional<Vector> velocity) {
    if (!ball_) {
        throw std::logic_error("there is no ball to touch");
    }
    ball_->hitTeam = team;
    if (velocity) {
        ball_->velocity = *velocity;
    }
    runPostHooks(kCarTouchEvent, BallWrapper(ball_));
}

// --- Events -----------------------------------------------------------------------------------

void World::addPostHook(PluginId plugin, std::string eventName, BallHook callback) {
    hooks_.push_back({plugin, std::move(eventName), std::move(callback)});
}

void World::runPostHooks(const std::string& eventName, const BallWrapper& caller) {
    // A callback may add hooks, which would move the list under our feet: run a snapshot.
    std::vector<std::pair<PluginId, BallHook>> due;
    for (const Hook& hook : hooks_) {
        if (hook.eventName == eventName) {
            due.emplace_back(hook.plugin, hook.callback);
        }
    }
    for (auto& [plugin, callback] : due) {
        try {
            callback(caller, nullptr, eventName);
        } catch (const std::exception& error) {
            reportFailure(plugin, "hook for \"" + eventName + "\" threw: " + error.what());
        } catch (...) {
            reportFailure(plugin, "hook for \"" + eventName + "\" threw an unknown exception");
        }
    }
}

// --- Timers and the game clock ----------------------------------------------------------------

namespace {

// Ticks from now until a timer's delay is up; nullopt for a delay that never ends.
std::optional<std::int64_t> delayTicks(float delaySeconds) {
    if (std::isnan(delaySeconds)) {
        return std::nullopt;
    }
    if (delaySeconds <= 0.0f) {
        return 0;
    }
    const double ticks = std::round(static_cast<double>(delaySeconds) * World::kTicksPerSecond);
    if (ticks >= static_cast<double>(World::kLatestTick)) {
        return std::nullopt;
    }
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(ticks));
}

// The ticks of an advance, or nullopt if it is not one the clock can make from `now`.
std::optional<std::int64_t> advanceTicks(std::int64_t now, double seconds) {
    if (!(seconds >= 0.0)) {  // negative or NaN
        return std::nullopt;
    }
    const double ticks = std::round(seconds * World::kTicksPerSecond);
    // Compared as doubles first: the conversion to an integer is only defined in range.
    if (ticks > static_cast<double>(World::kLatestTick - now)) {
        return std::nullopt;
    }
    const auto whole = static_cast<std::int64_t>(ticks);
    if (whole > World::kLatestTick - now) {
        return std::nullopt;
    }
    return whole;
}

}  // namespace

void World::addTimer(PluginId plugin, GameWrapper* game, TimerCallback callback, float delaySeconds) {
    const std::optional<std::int64_t> delay = delayTicks(delaySeconds);
    // A timer that never falls due waits past the latest tick the clock can reach.
    const std::int64_t due = delay && *delay <= kLatestTick - now_ ? now_ + *delay : INT64_MAX;
    timers_.emplace(std::make_pair(due, nextTimerSequence_++), Timer{plugin, game, std::move(callback)});
}

bool World::canAdvanceClock(double seconds) const {
    return advanceTicks(now_, seconds).has_value();
}

void World::advanceClock(double seconds) {
    const std::optional<std::int64_t> ticks = advanceTicks(now_, seconds);
    if (!ticks) {
        throw std::out_of_range("the game clock cannot advance by " + std::to_string(seconds) + " s from " +
                                std::to_string(gameTime()) + " s");
    }
    const std::int64_t target = now_ + *ticks;
    while (!timers_.empty() && timers_.begin()->first.first <= target) {
        auto first = timers_.begin();
        now_ = std::max(now_, first->first.first);
        Timer timer = std::move(first->second);
        timers_.erase(first);
        try {
            timer.callback(timer.game);
        } catch (const std::exception& error) {
            reportFailure(timer.plugin, std::string("timer threw: ") + error.what());
        } catch (...) {
            reportFailure(timer.plugin, "timer threw an unknown exception");
        }
    }
    now_ = std::max(now_, target);
}

// --- The console log --------------------------------------------------------------------------

void World::log(const detail::PluginScope& plugin, std::string text) {
    if (log_.size() == kRecentLogLines) {
        log_.pop_front();
    }
    log_.push_back({plugin.name, std::move(text)});
    ++loggedLineCount_;
    if (logListener_) {
        // A copy: the listener may log in turn and move the recent lines under it.
        const LogLine line = log_.back();
        logListener_(line);
    }
}

void World::setLogListener(std::function<void(const LogLine&)> listener) {
    logListener_ = std::move(listener);
}

void World::setFailureListener(std::function<void(const std::string&)> listener) {
    failureListener_ = std::move(listener);
}

void World::setTraceListener(std::function<void(const std::string&)> listener) {
    traceListener_ = std::move(listener);
}

void World::trace(const std::string& call) {
    if (traceListener_) {
        traceListener_(call);
    }
}

void World::reportFailure(PluginId plugin, const std::string& what) {
    std::string name = "plug-in";
    for (const PluginRecord& record : plugins_) {
        if (record.id == plugin) {
            name = record.name;
        }
    }
    if (failureListener_) {
        failureListener_(name + ": " + what);
    }
}

}  // namespace pluginsdk
