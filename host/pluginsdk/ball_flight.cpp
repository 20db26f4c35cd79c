#include "ball_flight.h"

#include <algorithm>

namespace pluginsdk {
namespace {

// One axis of the arena: the ball's centre stays between `low` and `high`. A mirrored travel longer
// than the arena (a ball set far outside it, or faster than the arena is wide in one tick) stops at
// the face the ball crossed: it stays on the side it came from, and no position, however wild, is
// thrown further out by each bounce.
void bounce(float& position, float& velocity, float low, float high, float restitution) {
    if (position < low) {
        const float past = low - position;
        position = low + past * restitution;
        if (!(position <= high)) {
            position = low;
        }
        if (velocity < 0.0f) {
            velocity = -velocity * restitution;
        }
    } else if (position > high) {
        const float past = position - high;
        position = high - past * restitution;
        if (!(position >= low)) {
            position = high;
        }
        if (velocity > 0.0f) {
            velocity = -velocity * restitution;
        }
    }
}

}  // namespace

void flyOneTick(FlyingBall& ball, const FlightSettings& settings) {
    const Vector v = ball.velocity;
    const Vector w = ball.spin;
    const Vector m = ball.magnusCoefficient;
    const float dt = kFlightTickSeconds;

    // w x v
    const float curlX = w.Y * v.Z - w.Z * v.Y;
    const float curlY = w.Z * v.X - w.X * v.Z;
    const float curlZ = w.X * v.Y - w.Y * v.X;
    // Gravity (0, 0, -g), less the drag, plus the Magnus force: one sum for every axis alike.
    const float ax = (0.0f - settings.drag * v.X) + m.X * curlX;
    const float ay = (0.0f - settings.drag * v.Y) + m.Y * curlY;
    const float az = (-settings.gravity - settings.drag * v.Z) + m.Z * curlZ;

    ball.velocity.X = v.X + ax * dt;
    ball.velocity.Y = v.Y + ay * dt;
    ball.velocity.Z = v.Z + az * dt;
    ball.position.X = ball.position.X + ball.velocity.X * dt;
    ball.position.Y = ball.position.Y + ball.velocity.Y * dt;
    ball.position.Z = ball.position.Z + ball.velocity.Z * dt;

    const float r = settings.ballRadius;
    const float e = settings.restitution;
    bounce(ball.position.X, ball.velocity.X, -settings.arenaX + r, settings.arenaX - r, e);
    bounce(ball.position.Y, ball.velocity.Y, -settings.arenaY + r, settings.arenaY - r, e);
    bounce(ball.position.Z, ball.velocity.Z, r, settings.arenaHeight - r, e);
}

}  // namespace pluginsdk
