// What a response did to the ball's velocity, in the terms the views show it: the speed after over
// the speed before, and the angle it turned the velocity by.
#pragma once

#include "bakkesmod/wrappers/vector.h"

namespace host {

double speedOf(const Vector& velocity);
// Speed after / speed before; 0 for a ball that was still.
double speedRatio(const Vector& before, const Vector& after);
// The angle between the two, in degrees; 0 if either is still.
double turnedDegrees(const Vector& before, const Vector& after);

}  // namespace host
