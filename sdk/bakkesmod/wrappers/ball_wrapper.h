// BallWrapper: a value handle to the game's ball. Liveness, copying and threads as ActorWrapper.
#pragma once

#include <cstdint>

#include "bakkesmod/wrappers/actor_wrapper.h"

class PLUGINSDK_API BallWrapper : public ActorWrapper {
public:
    // [host only, game thread] a handle to the ball whose state the world keeps in `ball`.
    explicit BallWrapper(std::weak_ptr<pluginsdk::detail::BallState> ball);
    // [any thread] The moved-from handle tests false.
    BallWrapper(const BallWrapper& other);
    BallWrapper& operator=(const BallWrapper& other);
    BallWrapper(BallWrapper&& other) noexcept;
    BallWrapper& operator=(BallWrapper&& other) noexcept;
    ~BallWrapper();

    // [any thread] The team of the last car that hit the ball: 0 is blue, any other value orange.
    // 0 for a ball that no longer exists.
    std::uint8_t GetHitTeamNum() const;
    // [any thread] Sets how strongly the ball's spin bends its flight.
    void SetMagnusCoefficient(Vector coefficient);
};
