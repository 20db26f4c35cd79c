// ActorWrapper and BallWrapper: handles that name the ball weakly, so a destroyed ball makes them
// test false instead of leaving them pointing at freed memory.
#include "bakkesmod/wrappers/ball_wrapper.h"

#include "handle_census.h"
#include "world_types.h"

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
    return actor ? actor->velocity : Vector{};
}

void ActorWrapper::SetVelocity(Vector velocity) {
    if (const auto actor = actor_.lock()) {
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
    return ball ? ball->hitTeam : 0;
}

void BallWrapper::SetMagnusCoefficient(Vector coefficient) {
    if (const auto ball = actor_.lock()) {
        ball->magnusCoefficient = coefficient;
    }
}
