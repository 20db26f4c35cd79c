// The arithmetic of the touch response, apart from the host: how a velocity is deflected by a
// random share and what the speed factor does to it.
//
// All of it is single precision except the two threshold tests, which widen to double. It must be
// bit-exact on every compiler and flag set: the build forbids floating-point contraction, and the
// order of every operation below is part of the behaviour.
#pragma once

#include "bakkesmod/wrappers/vector.h"

namespace quorvel {

enum class DeflectionOutcome {
    TrajectoryZero,          // the share is below the threshold (zero, negative, or tiny)
    ComponentRoundedToZero,  // some component's random range rounds to zero, is too wide or not finite
    Deflected,               // every component got its random share
};

struct Deflection {
    Vector velocity;  // the deflected velocity, or the velocity unchanged
    DeflectionOutcome outcome;
};

// Deflects `velocity` by `trajectoryPercent` percent, drawing one random value per component (x,
// then y, then z) from the calling thread's generator, but only when all three components have a
// usable range. Draws nothing otherwise.
Deflection deflectVelocity(Vector velocity, float trajectoryPercent);

// Each component multiplied by `factor`, in single precision.
Vector scaleVelocity(Vector velocity, float factor);

bool isFinite(Vector velocity);

}  // namespace quorvel
