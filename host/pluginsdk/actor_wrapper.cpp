// ActorWrapper and BallWrapper: handles that name the ball weakly, so a destroyed ball makes them
// test false instead of leaving them pointing at freed memory.
#include "bakkesmod/wrappers/ball_wrapper.h"

#include "handle_census.h"
#include "handle_state_lock.h"
#include "world.h"

namespace {

// What a plug-in sets on the ball is traced with its value; while nothing traces, no record is
// made.
void traceWrite(const pluginsdk::detail::BallState& ball, pluginsdk::SdkCall::Kind kind, Vector value) {
    if (const auto world = ball.world.lock(); world && world->tracing()) {
        world->trace({.kind = kind, .vector = value});
    }
}

}  // namespace

ActorWrapper::ActorWrapper(std::weak_ptr<pluginsdk::detail::BallState> actor) : actor_(std::move(actor)) {
    pluginsdk::detail::countActorHandle(+1);
}

ActorWrapper::ActorWrapper(const ActorWrapper& other) : actor_(other.actor_) {
    pluginsdk::detail::countActorHandle(+1);
}

ActorWrapper& ActorWrapper::operator=(const ActorWrapper& other) = default;

// The moved-from handle still exists and is counted until it is destroyed.
ActorWrapper::ActorWrapper(ActorWrapper&& other) noexcept : actor_(std::move(other.actor_)) {
    pluginsdk::detail::countActorHandle(+1);
}

ActorWrapper& ActorWrapper::operator=(ActorWrapper&& other) noexcept = default;

ActorWrapper::~ActorWrapper() {
    pluginsdk::detail::countActorHandle(-1);
}

ActorWrapper::operator bool() const {
    return !actor_.expired();
}

Vector ActorWrapper::GetVelocity() const {
    const auto actor = actor_.lock();
    if (!actor) {
        return Vector{};
    }
    const auto state = pluginsdk::detail::lockHandleState();
    return actor->velocity;
}

void ActorWrapper::SetVelocity(Vector velocity) {
    if (const auto actor = actor_.lock()) {
        traceWrite(*actor, pluginsdk::SdkCall::Kind::SetVelocity, velocity);
        const auto state = pluginsdk::detail::lockHandleState();
        actor->velocity = velocity;
    }
}

BallWrapper::BallWrapper(std::weak_ptr<pluginsdk::detail::BallState> ball) : ActorWrapper(std::move(ball)) {}
BallWrapper::BallWrapper(const BallWrapper& other) = default;
BallWrapper& BallWrapper::operator=(const BallWrapper& other) = default;
BallWrapper::BallWrapper(BallWrapper&& other) noexcept = default;
BallWrapper& BallWrapper::operator=(BallWrapper&& other) noexcept = default;
BallWrapper::~BallWrapper() = default;

std::uint8_t BallWrapper::GetHitTeamNum() const {
    const auto ball = actor_.lock();
    if (!ball) {
        return 0;
    }
    const auto state = pluginsdk::detail::lockHandleState();
    return ball->hitTeam;
}

void BallWrapper::SetMagnusCoefficient(Vector coefficient) {
    if (const auto ball = actor_.lock()) {
        traceWrite(*ball, pluginsdk::SdkCall::Kind::SetMagnusCoefficient, coefficient);
        const auto state = pluginsdk::detail::lockHandleState();
        ball->magnusCoefficient = coefficient;
    }
}
