// The state behind the SDK's handles. Host code includes this; plug-ins never see it.
//
// Threads: the fields of BallState and ConsoleVariable that change (velocity, Magnus coefficient,
// position, spin, hit team; value, number, writes) are read and written under
// detail::lockHandleState() by every handle and world operation. Host code that touches them directly does so on its own thread
// while no plug-in code runs elsewhere, or copies them with World::readBall.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "bakkesmod/wrappers/vector.h"

namespace pluginsdk {
class World;
using PluginId = std::uint64_t;
}  // namespace pluginsdk

namespace pluginsdk::detail {

struct BallState {
    Vector velocity;
    Vector magnusCoefficient;
    // Where the ball is and how it spins (radians per second about each axis): they change only
    // while the world's physics is on (World::setPhysics), which flies the ball by them.
    Vector position;
    Vector spin;
    std::uint8_t hitTeam = 0;
    // The world the ball is in, set when it is made, so that its handles can trace what a plug-in
    // sets on it. Weak: the world owns the ball.
    std::weak_ptr<World> world;
};

// The ball's vectors, for code that handles them alike.
enum class BallVector { Velocity, Position, Spin, MagnusCoefficient };

// `ball`'s vector `which`: of a BallState, or of anything with the same four members.
template <typename Ball>
auto& vectorOf(Ball& ball, BallVector which) {
    switch (which) {
    case BallVector::Velocity:
        return ball.velocity;
    case BallVector::Position:
        return ball.position;
    case BallVector::Spin:
        return ball.spin;
    case BallVector::MagnusCoefficient:
        break;
    }
    return ball.magnusCoefficient;
}

struct ConsoleVariable {
    std::string name;
    std::string value;
    std::string defaultValue;
    std::string description;
    bool numeric = false;  // the default reads as a number: values must be finite numbers
    bool hasMin = false;
    float min = 0.0f;
    bool hasMax = false;
    float max = 0.0f;
    float number = 0.0f;   // `value` read as a float (0 when it is not a number)
    std::uint64_t writes = 0;  // setValue calls through handles, refused ones included
    bool saveToConfig = true;  // as registered: false keeps it out of the settings file
};

// One loaded plug-in as the world knows it. Its GameWrapper and CVarManagerWrapper share it. It
// does not keep the world alive: once the world is gone the plug-in's handles do nothing.
struct PluginScope {
    std::weak_ptr<World> world;
    PluginId id = 0;
    std::string name;
    // Set by the host once it starts unloading the plug-in, before it releases the object: from
    // then on the plug-in's handles do nothing, so nothing it registers in its destructors or its
    // module's static clean-up can outlive the module.
    // Atomic: set on the loader thread while the game or render thread may be in one of its handles.
    std::atomic<bool> cut{false};
    // What the plug-in asked of its handles once cut off (a hook, a timer, a variable, from its
    // destructors or its module's static clean-up): refused, and counted here for the checks.
    std::atomic<std::uint32_t> refusedOnceCut{0};
};

}  // namespace pluginsdk::detail
