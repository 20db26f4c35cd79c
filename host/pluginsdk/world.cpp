#include "world.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "bakkesmod/wrappers/game_wrapper.h"
#include "console_variable.h"
#include "handle_state_lock.h"
#include "plugin_call.h"
#include "shared_call_record.h"

namespace pluginsdk {
namespace {

template <typename Callback>
void destroyCallback(const PluginCall& call, Callback& callback) {
    const PluginCallScope marked(call);
    callback = nullptr;
}

}  // namespace

std::shared_ptr<World> World::create() {
    return std::shared_ptr<World>(new World());
}

World::~World() = default;

// --- Plug-ins ---------------------------------------------------------------------------------

std::shared_ptr<detail::PluginScope> World::addPlugin(
    std::string name, const std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* instance) {
    auto scope = std::make_shared<detail::PluginScope>();
    scope->world = weak_from_this();
    scope->name = name;
    // Unique in the process, not only in this world: the host's supervisor knows plug-ins by it.
    static std::atomic<PluginId> nextPluginId{1};
    scope->id = nextPluginId.fetch_add(1, std::memory_order_relaxed);
    detail::recordPluginName(scope->id, scope->name);
    const std::lock_guard lock(mutex_);
    auto owner = std::make_shared<PluginOwner>();
    owner->name = std::move(name);
    owner->instance = instance;
    plugins_.push_back({scope->id, std::move(owner)});
    return scope;
}

void World::dropPlugin(PluginId id) {
    // Move the callbacks out first and destroy them after the containers are consistent again:
    // destroying a callback releases the handles it holds, which must not find the world mid-edit.
    std::list<Hook> droppedHooks;
    std::vector<Timer> droppedTimers;
    std::unique_lock lock(mutex_);
    for (auto it = hooks_.begin(); it != hooks_.end();) {
        const auto hook = it++;
        if (hook->plugin != id || hook->dropped) {
            continue;
        }
        if (hook->running == 0) {
            droppedHooks.splice(droppedHooks.end(), hooks_, hook);
        } else {
            // Running on another thread: the run that returns last destroys the callback and
            // removes the hook (runPostHooks), before the wait below ends.
            hook->dropped = true;
        }
    }
    const auto firstDropped = std::partition(timers_.begin(), timers_.end(),
                                             [id](const Timer& timer) { return timer.plugin != id; });
    if (firstDropped != timers_.end()) {
        droppedTimers.assign(std::make_move_iterator(firstDropped), std::make_move_iterator(timers_.end()));
        timers_.erase(firstDropped, timers_.end());
        std::make_heap(timers_.begin(), timers_.end(), firesAfter);
    }
    std::erase_if(plugins_, [id](const PluginRecord& record) { return record.id == id; });
    // A callback of the plug-in taken out before this may still be running on the game thread. The
    // host destroys the plug-in once this returns, so wait for it; whatever it sets from now on is
    // refused, since the plug-in is no longer known.
    callbackReturned_.wait(lock, [this, id] {
        const auto running = runningCallbacks_.find(id);
        return running == runningCallbacks_.end() || running->second == 0;
    });
    runningCallbacks_.erase(id);
    lock.unlock();
    for (Hook& hook : droppedHooks) {
        destroyCallback(PluginCall{this, id, hook.owner->name.c_str(), EntryPoint::HookDestructor}, hook.callback);
    }
    for (Timer& timer : droppedTimers) {
        destroyCallback(PluginCall{this, id, timer.owner->name.c_str(), EntryPoint::TimerDestructor}, timer.callback);
    }
}

std::size_t World::hookCount(PluginId id) const {
    const std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        hooks_.begin(), hooks_.end(), [id](const Hook& hook) { return hook.plugin == id && !hook.dropped; }));
}

std::size_t World::pendingTimerCount(PluginId id) const {
    const std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(timers_.begin(), timers_.end(), [id](const Timer& timer) { return timer.plugin == id; }));
}

std::shared_ptr<World::PluginOwner> World::pluginOwnerLocked(PluginId id) const {
    for (const PluginRecord& record : plugins_) {
        if (record.id == id) {
            return record.owner;
        }
    }
    return nullptr;
}

bool World::releasedItself(const PluginOwner& owner) {
    return owner.instance != nullptr && !*owner.instance;
}

void World::noteReleased(PluginOwner& owner, const char* entryPoint, const std::string& callback) {
    const char* none = nullptr;
    if (owner.releasedDuring.compare_exchange_strong(none, entryPoint)) {
        reportFailure(owner.name, callback + " called deleteMe: the plug-in released itself, so the host unloads it");
    }
}

const char* World::releasedPlugin(PluginId id) const {
    const std::lock_guard lock(mutex_);
    const std::shared_ptr<PluginOwner> owner = pluginOwnerLocked(id);
    return owner ? owner->releasedDuring.load() : nullptr;
}

void World::finishCallbackLocked(PluginId plugin) {
    // The count stays in the map at 0 (dropPlugin removes it): a touch allocates nothing here.
    const auto running = runningCallbacks_.find(plugin);
    if (running != runningCallbacks_.end() && --running->second == 0) {
        callbackReturned_.notify_all();
    }
}

// --- Console variables ------------------------------------------------------------------------

std::shared_ptr<detail::ConsoleVariable> World::registerVariable(const std::string& name,
                                                                 const std::string& defaultValue,
                                                                 const std::string& description, bool hasMin,
                                                                 float min, bool hasMax, float max, bool saveToConfig) {
    auto created = std::make_shared<detail::ConsoleVariable>(
        makeVariable(name, defaultValue, description, hasMin, min, hasMax, max));
    created->saveToConfig = saveToConfig;
    const std::lock_guard lock(mutex_);
    if (auto existing = findVariableLocked(name)) {
        return existing;
    }
    if (registrationListener_) {
        registrationListener_(*created);
    }
    variableIndex_.emplace(name, created);
    variables_.push_back(std::move(created));
    return variables_.back();
}

void World::setRegistrationListener(std::function<void(detail::ConsoleVariable&)> listener) {
    const std::lock_guard lock(mutex_);
    registrationListener_ = std::move(listener);
}

std::shared_ptr<detail::ConsoleVariable> World::findVariable(const std::string& name) const {
    const std::lock_guard lock(mutex_);
    return findVariableLocked(name);
}

std::shared_ptr<detail::ConsoleVariable> World::findVariableLocked(const std::string& name) const {
    // Names never change after registration, so they are read without the handle-state lock. By
    // index: a plug-in may register a hundred thousand.
    const auto found = variableIndex_.find(name);
    return found == variableIndex_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<detail::ConsoleVariable>> World::variables() const {
    const std::lock_guard lock(mutex_);
    return variables_;
}

bool World::removeVariable(const std::string& name) {
    std::vector<std::shared_ptr<detail::ConsoleVariable>> removed;
    const std::lock_guard lock(mutex_);
    variableIndex_.erase(name);
    for (auto it = variables_.begin(); it != variables_.end();) {
        if ((*it)->name == name) {
            removed.push_back(std::move(*it));
            it = variables_.erase(it);
        } else {
            ++it;
        }
    }
    return !removed.empty();
}

// --- The ball ---------------------------------------------------------------------------------

std::shared_ptr<detail::BallState> World::ball() const {
    const std::lock_guard lock(mutex_);
    return ball_;
}

std::optional<detail::BallState> World::readBall() const {
    const std::lock_guard lock(mutex_);
    if (!ball_) {
        return std::nullopt;
    }
    const auto state = detail::lockHandleState();
    return *ball_;
}

detail::BallState& World::ensureBall() {
    const std::lock_guard lock(mutex_);
    return ensureBallLocked();
}

detail::BallState& World::ensureBallLocked() {
    if (!ball_) {
        ball_ = std::make_shared<detail::BallState>();
        ball_->world = weak_from_this();
        // A new ball rests on the centre spot, as at a kick-off.
        ball_->position.Z = flightSettingsLocked().ballRadius;
        if (ghostOn_) {
            ghost_ = FlyingBall{ball_->position, ball_->velocity, ball_->spin, ball_->magnusCoefficient};
        }
    }
    return *ball_;
}

void World::destroyBall() {
    std::shared_ptr<detail::BallState> destroyed;
    const std::lock_guard lock(mutex_);
    destroyed = std::move(ball_);
    ghost_.reset();
}

void World::touchBall(std::uint8_t team, std::optional<Vector> velocity) {
    std::unique_lock lock(mutex_);
    if (!ball_) {
        throw std::logic_error("there is no ball to touch");
    }
    {
        const auto state = detail::lockHandleState();
        const Vector velocityBefore = ball_->velocity;
        ball_->hitTeam = team;
        if (velocity) {
            ball_->velocity = *velocity;
            if (ghost_) {
                ghost_->velocity = *velocity;
            }
        }
        if (physics_) {
            flight_.addEvent({0, now_, FlightEventKind::Touch, team, ball_->position, velocityBefore, ball_->velocity,
                              ball_->magnusCoefficient, ball_->magnusCoefficient});
        }
    }
    const BallWrapper caller(ball_);
    runPostHooksLocked(lock, kCarTouchEvent, caller);
}

// --- Events -----------------------------------------------------------------------------------

void World::addPostHook(PluginId plugin, std::string eventName, BallHook callback) {
    BallHook refused;
    const std::lock_guard lock(mutex_);
    std::shared_ptr<PluginOwner> owner = pluginOwnerLocked(plugin);
    if (!owner) {
        refused = std::move(callback);  // a plug-in being dropped; destroyed once the lock is gone
        return;
    }
    Hook& hook = hooks_.emplace_back();
    hook.plugin = plugin;
    hook.owner = std::move(owner);
    hook.sequence = nextHookSequence_++;
    hook.eventName = std::move(eventName);
    hook.callback = std::move(callback);
}

void World::runPostHooks(std::string_view eventName, const BallWrapper& caller) {
    std::unique_lock lock(mutex_);
    runPostHooksLocked(lock, eventName, caller);
}

void World::runPostHooksLocked(std::unique_lock<std::mutex>& lock, std::string_view eventName,
                               const BallWrapper& caller) {
    // The hooks run in place: each is found under the lock by its number, marked running, and
    // called with the lock released; its node and callback stay put meanwhile (see Hook). Only
    // hooks numbered below `addedBefore` run, so one added from here on waits for the next event,
    // and one whose plug-in is dropped meanwhile is gone from the list or marked dropped.
    const std::uint64_t addedBefore = nextHookSequence_;
    std::uint64_t next = 0;
    for (;;) {
        const auto hook = std::find_if(hooks_.begin(), hooks_.end(), [&](const Hook& candidate) {
            return candidate.sequence >= next && candidate.sequence < addedBefore && !candidate.dropped &&
                   candidate.eventName == eventName &&
                   candidate.owner->releasedDuring.load(std::memory_order_relaxed) == nullptr;
        });
        if (hook == hooks_.end()) {
            return;
        }
        next = hook->sequence + 1;
        const PluginId plugin = hook->plugin;
        ++hook->running;
        // Counted as running until the callback is done with, so that a plug-in dropped meanwhile
        // on another thread waits for it (its code lives in the module).
        ++runningCallbacks_[plugin];
        lock.unlock();
        const PluginCall call{this, plugin, hook->owner->name.c_str(), EntryPoint::Hook};
        // The signature takes the name by value: this string is the call's own, moved in.
        if (const auto threw = callPlugin(call, [&] { hook->callback(caller, nullptr, std::string(eventName)); })) {
            reportFailure(hook->owner->name, "hook for \"" + std::string(eventName) + "\" " + *threw);
        }
        if (releasedItself(*hook->owner)) [[unlikely]] {
            noteReleased(*hook->owner, entryPointName(EntryPoint::Hook), "hook for \"" + std::string(eventName) + "\"");
        }
        lock.lock();
        if (--hook->running == 0 && hook->dropped) {
            BallHook callback = std::move(hook->callback);
            const std::shared_ptr<PluginOwner> owner = std::move(hook->owner);
            hooks_.erase(hook);
            // The callback's destructor is the plug-in's code: run it unlocked, still counted as
            // running so that dropPlugin waits for it.
            lock.unlock();
            destroyCallback(PluginCall{this, plugin, owner->name.c_str(), EntryPoint::HookDestructor}, callback);
            lock.lock();
        }
        finishCallbackLocked(plugin);
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
    TimerCallback refused;
    const std::optional<std::int64_t> delay = delayTicks(delaySeconds);
    const PluginCall* caller = currentPluginCall();
    const bool setByAFiring = caller != nullptr && caller->world == this && caller->entryPoint == EntryPoint::Timer;
    const std::lock_guard lock(mutex_);
    std::shared_ptr<PluginOwner> owner = pluginOwnerLocked(plugin);
    if (!owner) {
        refused = std::move(callback);  // a plug-in being dropped; destroyed once the lock is gone
        return;
    }
    // A rehearsal's timers wait in a queue of their own, out of the game clock's sight.
    const bool rehearsal = rehearsingHere();
    // A timer that never falls due waits past the latest tick the clock can reach.
    Timer& timer = rehearsal ? rehearsalTimers_.emplace_back() : timers_.emplace_back();
    timer.due = delay && *delay <= kLatestTick - now_ ? now_ + *delay : INT64_MAX;
    if (setByAFiring && delay == 0) {
        timer.due = nextGameTickAfter(now_);
    }
    timer.sequence = nextTimerSequence_++;
    timer.plugin = plugin;
    timer.owner = std::move(owner);
    timer.game = game;
    timer.callback = std::move(callback);
    if (!rehearsal) {
        std::push_heap(timers_.begin(), timers_.end(), firesAfter);
    }
}

std::int64_t World::nextGameTickAfter(std::int64_t time) {
    // 120 ticks a second are 3 ticks every 25,000 microseconds: tick 3m + j falls at
    // m * 25000 + ceil(j * 25000 / 3). The first after `time` is the first k with
    // k * 25000 / 3 > time; worked in whole periods, so nothing overflows.
    static_assert(kTicksPerSecond * 3 == kGameTickRate * 25'000);
    constexpr std::int64_t kPeriod = 25'000;
    constexpr std::int64_t kWithinPeriod[3] = {0, 8'334, 16'667};
    if (time >= kLatestTick - 2 * kPeriod) {
        return INT64_MAX;  // past what the clock reaches
    }
    const std::int64_t tick = 3 * (time / kPeriod) + 3 * (time % kPeriod) / kPeriod + 1;
    return tick / 3 * kPeriod + kWithinPeriod[tick % 3];
}

bool World::firesAfter(const Timer& a, const Timer& b) {
    return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
}

bool World::canAdvanceClock(double seconds) const {
    const std::lock_guard lock(mutex_);
    return advanceTicks(now_, seconds).has_value();
}

void World::advanceClock(double seconds) {
    std::unique_lock lock(mutex_);
    const std::optional<std::int64_t> ticks = advanceTicks(now_, seconds);
    if (!ticks) {
        throw std::out_of_range("the game clock cannot advance by " + std::to_string(seconds) + " s from " +
                                std::to_string(static_cast<double>(now_) / kTicksPerSecond) + " s");
    }
    const std::int64_t target = now_ + *ticks;
    // Ticks and timers in the order of their times; a tick goes before a timer due at its time.
    for (;;) {
        const std::int64_t timerDue = timers_.empty() ? INT64_MAX : timers_.front().due;
        if (physics_ && ball_) {
            const std::int64_t tick = nextGameTickAfter(now_);
            if (tick <= target && tick <= timerDue) {
                now_ = tick;
                flyOneTickLocked();
                continue;
            }
        }
        if (timerDue > target) {
            break;
        }
        std::pop_heap(timers_.begin(), timers_.end(), firesAfter);
        Timer timer = std::move(timers_.back());
        timers_.pop_back();
        now_ = std::max(now_, timer.due);
        const std::optional<BallBeforeFiring> before = ballBeforeFiringLocked();
        fireTimerLocked(lock, timer, true);
        if (before) {
            recordFiringLocked(*before);
        }
    }
    now_ = std::max(now_, target);
}

void World::fireTimerLocked(std::unique_lock<std::mutex>& lock, Timer& timer, bool call) {
    // Running from here until the callback is destroyed (see runPostHooks).
    ++runningCallbacks_[timer.plugin];
    lock.unlock();
    // A plug-in that released itself has no object left for its timers to work on.
    if (call && timer.owner->releasedDuring.load(std::memory_order_relaxed) == nullptr) {
        const PluginCall firing{this, timer.plugin, timer.owner->name.c_str(), EntryPoint::Timer};
        if (const auto threw = callPlugin(firing, [&timer] { timer.callback(timer.game); })) {
            reportFailure(timer.owner->name, "timer " + *threw);
        }
        if (releasedItself(*timer.owner)) [[unlikely]] {
            noteReleased(*timer.owner, entryPointName(EntryPoint::Timer), "timer");
        }
    }
    destroyCallback(PluginCall{this, timer.plugin, timer.owner->name.c_str(), EntryPoint::TimerDestructor}, timer.callback);
    lock.lock();
    finishCallbackLocked(timer.plugin);
}

double World::gameTime() const {
    const std::lock_guard lock(mutex_);
    return static_cast<double>(now_) / kTicksPerSecond;
}

std::int64_t World::gameTicks() const {
    const std::lock_guard lock(mutex_);
    return now_;
}

std::optional<std::int64_t> World::ticksToNextTimer() const {
    const std::lock_guard lock(mutex_);
    if (timers_.empty() || timers_.front().due == INT64_MAX) {
        return std::nullopt;
    }
    return timers_.front().due - now_;
}

// --- The C runtime clock ----------------------------------------------------------------------

void World::setRuntimeClock(std::optional<std::int64_t> seconds) {
    const std::lock_guard lock(mutex_);
    runtimeClock_ = seconds;
}

std::optional<std::int64_t> World::runtimeClock() const {
    const std::lock_guard lock(mutex_);
    return runtimeClock_;
}

// --- The console log --------------------------------------------------------------------------

namespace {

// The line cut to the longest the world keeps, at a character's start, saying how long it was.
std::string cutLogLine(const std::string& text) {
    std::size_t end = World::kLongestLogLine;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) {
        --end;  // within a UTF-8 character
    }
    return text.substr(0, end) + " [... cut: the line was " + std::to_string(text.size()) + " bytes]";
}

}  // namespace

void World::log(const detail::PluginScope& plugin, std::string text) {
    if (rehearsingHere()) {
        return;  // a rehearsal leaves the log as it was
    }
    if (text.size() > kLongestLogLine) [[unlikely]] {
        text = cutLogLine(text);
    }
    const std::lock_guard listening(listenerMutex_);
    if (traceListener_) {
        traceListener_(SdkCall{.kind = SdkCall::Kind::Log, .text = text});
    }
    LogLine line{plugin.name, std::move(text)};
    {
        const std::lock_guard lock(mutex_);
        if (log_.size() == kRecentLogLines) {
            log_.pop_front();
        }
        line.number = ++loggedLineCount_;
        log_.push_back(line);
    }
    if (logListener_) {
        logListener_(line);
    }
}

std::deque<LogLine> World::recentLogLines() const {
    const std::lock_guard lock(mutex_);
    return log_;
}

std::vector<LogLine> World::logLinesSince(std::uint64_t loggedBefore) const {
    const std::lock_guard lock(mutex_);
    const std::uint64_t fresh = loggedLineCount_ > loggedBefore ? loggedLineCount_ - loggedBefore : 0;
    const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(fresh, log_.size()));
    return std::vector<LogLine>(log_.end() - static_cast<std::ptrdiff_t>(kept), log_.end());
}

std::uint64_t World::loggedLineCount() const {
    const std::lock_guard lock(mutex_);
    return loggedLineCount_;
}

void World::setLogListener(std::function<void(const LogLine&)> listener) {
    const std::lock_guard listening(listenerMutex_);
    logListener_ = std::move(listener);
}

void World::setFailureListener(std::function<void(const std::string&)> listener) {
    const std::lock_guard listening(listenerMutex_);
    failureListener_ = std::move(listener);
}

void World::setTraceListener(std::function<void(const SdkCall&)> listener) {
    const std::lock_guard listening(listenerMutex_);
    traceListener_ = std::move(listener);
    tracing_.store(static_cast<bool>(traceListener_), std::memory_order_release);
}

void World::trace(const SdkCall& call) {
    if (rehearsingHere()) {
        return;
    }
    const std::lock_guard listening(listenerMutex_);
    if (traceListener_) {
        traceListener_(call);
    }
}

void World::reportFailure(const std::string& pluginName, const std::string& what) {
    const std::lock_guard listening(listenerMutex_);
    if (failureListener_) {
        failureListener_(pluginName + ": " + what);
    }
}

}  // namespace pluginsdk
