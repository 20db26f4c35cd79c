// ActorWrapper: a value handle to one actor (a thing that moves) in the game world.
//
// Who makes them: the host, when it hands an actor to a plug-in (for example as the caller of an
// event hook). A plug-in copies or moves a handle where it must outlive the call that gave it.
// Liveness: the handle names the actor, it does not keep it alive. Once the host destroys the
// actor, every handle to it tests false, and the other operations do nothing (GetVelocity then
// returns (0, 0, 0)). A handle never touches freed memory.
// Threads: the host calls plug-ins on its game thread; handles are used on that thread.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/handle_internals.h"
#include "bakkesmod/wrappers/vector.h"

class PLUGINSDK_API ActorWrapper {
public:
    // Host only: a handle to the actor whose state the world keeps in `actor`.
    explicit ActorWrapper(std::weak_ptr<pluginsdk::detail::BallState> actor);
    ActorWrapper(const ActorWrapper& other);
    ActorWrapper& operator=(const ActorWrapper& other);
    // Moving takes the reference over without touching the actor's reference counts; the
    // moved-from handle tests false.
    ActorWrapper(ActorWrapper&& other) noexcept;
    ActorWrapper& operator=(ActorWrapper&& other) noexcept;
    ~ActorWrapper();

    // True while the actor exists.
    explicit operator bool() const;

    // The actor's present velocity.
    Vector GetVelocity() const;
    // Replaces the actor's velocity.
    void SetVelocity(Vector velocity);

protected:
    std::weak_ptr<pluginsdk::detail::BallState> actor_;
};
