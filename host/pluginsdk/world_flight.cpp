// The world's share of the ball's flight: its physics switch and settings, the ghost, the host's
// writes to the ball, one tick of flight, and the record of it.
#include <array>

#include "console_variable.h"
#include "handle_state_lock.h"
#include "number_text.h"
#include "world.h"

namespace pluginsdk {
namespace {

struct PhysicsVariable {
    const char* name;
    float FlightSettings::*field;
    const char* description;
    bool hasMin;
    float min;
    bool hasMax;
    float max;
};

// In the order of FlightSettings' fields; the defaults are FlightSettings'.
constexpr std::array<PhysicsVariable, 7> kPhysicsVariables{{
    {"physics_gravity", &FlightSettings::gravity, "the ball's fall while physics is on, in units per second squared",
     false, 0.0f, false, 0.0f},
    {"physics_drag", &FlightSettings::drag, "the share of the ball's velocity the air takes, per second", true, 0.0f,
     false, 0.0f},
    {"physics_arena_x", &FlightSettings::arenaX, "the side walls stand at x = -this and x = +this", true, 0.0f, false,
     0.0f},
    {"physics_arena_y", &FlightSettings::arenaY, "the end walls stand at y = -this and y = +this", true, 0.0f, false,
     0.0f},
    {"physics_arena_height", &FlightSettings::arenaHeight, "the ceiling's height; the floor is at z = 0", true, 0.0f,
     false, 0.0f},
    {"physics_ball_radius", &FlightSettings::ballRadius, "the ball's radius", true, 0.0f, false, 0.0f},
    {"physics_restitution", &FlightSettings::restitution,
     "the share of its speed into a wall, the floor or the ceiling that the ball keeps as it bounces", true, 0.0f,
     true, 1.0f},
}};

FlyingBall flyingBall(const detail::BallState& ball) {
    return {ball.position, ball.velocity, ball.spin, ball.magnusCoefficient};
}

// With the handle-state lock held.
FlightSettings settingsOf(const std::vector<std::shared_ptr<detail::ConsoleVariable>>& variables) {
    FlightSettings settings;
    for (std::size_t i = 0; i < variables.size(); ++i) {
        settings.*kPhysicsVariables[i].field = variables[i]->number;
    }
    return settings;
}

}  // namespace

void World::setPhysics(bool on) {
    std::vector<std::shared_ptr<detail::ConsoleVariable>> variables;
    if (on) {
        // Registered anew if one was removed meanwhile; otherwise they are the ones there are.
        const FlightSettings defaults;
        for (const PhysicsVariable& variable : kPhysicsVariables) {
            variables.push_back(registerVariable(variable.name, formatFloat(defaults.*variable.field),
                                                 variable.description, variable.hasMin, variable.min, variable.hasMax,
                                                 variable.max, /*saveToConfig=*/false));
        }
    }
    const std::lock_guard lock(mutex_);
    if (on) {
        physicsVariables_ = std::move(variables);
        if (!physics_) {
            flight_.restart(now_);
        }
    }
    physics_ = on;
}

bool World::physics() const {
    const std::lock_guard lock(mutex_);
    return physics_;
}

void World::setGhost(bool on) {
    const std::lock_guard lock(mutex_);
    if (on && !ghostOn_ && ball_) {
        const auto state = detail::lockHandleState();
        ghost_ = flyingBall(*ball_);
    }
    if (!on) {
        ghost_.reset();
    }
    ghostOn_ = on;
}

bool World::ghostOn() const {
    const std::lock_guard lock(mutex_);
    return ghostOn_;
}

std::optional<FlyingBall> World::readGhost() const {
    const std::lock_guard lock(mutex_);
    return ghost_;
}

void World::setBallVector(detail::BallVector which, const Vector& value) {
    const std::lock_guard lock(mutex_);
    detail::BallState& ball = ensureBallLocked();
    const auto state = detail::lockHandleState();
    detail::vectorOf(ball, which) = value;
    if (ghost_) {
        detail::vectorOf(*ghost_, which) = value;
    }
}

FlightSettings World::flightSettings() const {
    const std::lock_guard lock(mutex_);
    return flightSettingsLocked();
}

FlightSettings World::flightSettingsLocked() const {
    const auto state = detail::lockHandleState();
    return settingsOf(physicsVariables_);
}

void World::flyOneTickLocked() {
    const auto state = detail::lockHandleState();
    const FlightSettings settings = settingsOf(physicsVariables_);
    FlyingBall ball = flyingBall(*ball_);
    flyOneTick(ball, settings);
    ball_->position = ball.position;
    ball_->velocity = ball.velocity;
    FlightSample sample{now_, ball.position, ball.velocity, {}, false};
    if (ghost_) {
        flyOneTick(*ghost_, settings);
        sample.ghost = ghost_->position;
        sample.hasGhost = true;
    }
    flight_.addSample(sample);
}

std::optional<World::BallBeforeFiring> World::ballBeforeFiringLocked() const {
    if (!physics_ || !ball_) {
        return std::nullopt;
    }
    const auto state = detail::lockHandleState();
    return BallBeforeFiring{ball_, *ball_};
}

void World::recordFiringLocked(const BallBeforeFiring& before) {
    if (!physics_ || ball_ != before.ball) {
        return;  // switched off, or the ball was made anew, meanwhile
    }
    const auto state = detail::lockHandleState();
    flight_.addEvent({0, now_, FlightEventKind::Firing, ball_->hitTeam, ball_->position, before.state.velocity,
                      ball_->velocity, before.state.magnusCoefficient, ball_->magnusCoefficient});
}

FlightRecord World::flightRecord(std::int64_t since) const {
    FlightRecord record;
    const std::lock_guard lock(mutex_);
    record.now = now_;
    record.settings = flightSettingsLocked();
    flight_.copySince(since, record);
    return record;
}

std::vector<FlightEvent> World::flightEventsAfter(std::uint64_t sequence) const {
    const std::lock_guard lock(mutex_);
    return flight_.eventsAfter(sequence);
}

}  // namespace pluginsdk
