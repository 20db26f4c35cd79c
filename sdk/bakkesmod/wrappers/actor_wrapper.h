// ActorWrapper: a value handle to one actor (a thing that moves) in the game world.
//
// The handle names the actor, it does not keep it alive: once the host destroys the actor, every
// handle to it tests false and the other operations do nothing (GetVelocity then returns
// (0, 0, 0)); a handle never touches freed memory. The host keeps the actor's state behind its own
// lock, so each call sees it before or after another thread's call, never half of it, and holds
// none on return. One handle object is used by one thread at a time; to hand an actor to another
// thread, copy the handle.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/handle_internals.h"
#include "bakkesmod/wrappers/vector.h"

class PLUGINSDK_API ActorWrapper {
public:
    // [host only, game thread] when the host hands an actor to a plug-in (the caller of an event
    // hook). A plug-in copies or moves the handle where it must outlive the call that gave it.
    explicit ActorWrapper(std::weak_ptr<pluginsdk::detail::BallState> actor);
    // [any thread] Copies and moves may be made and destroyed anywhere. Moving takes the reference
    // over without touching the actor's reference counts; the moved-from handle tests false.
    ActorWrapper(const ActorWrapper& other);
    ActorWrapper& operator=(const ActorWrapper& other);
    ActorWrapper(ActorWrapper&& other) noexcept;
    ActorWrapper& operator=(ActorWrapper&& other) noexcept;
    ~ActorWrapper();

    // [any thread] True while the actor exists.
    explicit operator bool() const;

    // [any thread] The actor's present velocity.
    Vector GetVelocity() const;
    // [any thread] Replaces the actor's velocity, which is finite: the game's physics has no use for
    // an infinity or a NaN, whatever the settings a user typed.
    void SetVelocity(Vector velocity);

protected:
    std::weak_ptr<pluginsdk::detail::BallState> actor_;
};
