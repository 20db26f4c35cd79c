// How the ball flies while the world's physics is on: one fixed tick of 1/120 s at a time, by
// semi-implicit Euler (the velocity first, then the position with the new velocity), in single
// precision, each operation in the order written here and none contracted, so that every build
// gives the same bits:
//
//   a = (0, 0, -gravity) - drag * v + m (x) (w x v)     m: the Magnus coefficient, component-wise;
//                                                       w: the spin, in radians per second
//   v = v + a * dt
//   p = p + v * dt
//
// then off each face of a box arena (floor z = 0, walls x = +-arenaX and y = +-arenaY, ceiling
// z = arenaHeight), the ball of `ballRadius` bounces: the part of the tick's travel past the face is
// mirrored back, shortened by the restitution (a ball so far past the face that the mirror would
// carry it beyond the opposite one is put on the face it crossed), and the velocity across the face
// is reversed and multiplied by it.
#pragma once

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/vector.h"

namespace pluginsdk {

struct FlightSettings {
    float gravity = 650.0f;       // the game's units (centimetres) per second squared, downwards
    float drag = 0.03f;           // per second: the share of its velocity the air takes
    float arenaX = 4096.0f;       // the side walls, at x = -arenaX and x = +arenaX
    float arenaY = 5120.0f;       // the end walls, at y = -arenaY and y = +arenaY
    float arenaHeight = 2044.0f;  // the ceiling; the floor is at z = 0
    float ballRadius = 92.75f;
    float restitution = 0.6f;     // the share of the speed across a face that a bounce keeps
};

struct FlyingBall {
    Vector position;
    Vector velocity;
    Vector spin;
    Vector magnusCoefficient;
};

// The length of a tick in seconds, as the integration uses it: 1/120 in single precision.
inline constexpr float kFlightTickSeconds = 1.0f / 120.0f;

// Moves `ball` on by one tick. Its spin and Magnus coefficient do not change.
PLUGINSDK_API void flyOneTick(FlyingBall& ball, const FlightSettings& settings);

}  // namespace pluginsdk
