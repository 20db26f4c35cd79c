// What the plug-in does after each car touch: a short timer, then the ball slowed (and perhaps
// deflected) for an enabled team, or its Magnus coefficient cleared for a switched-off team.
//
// Every handle here is a local value, so it is released on every way out, exceptions included.
#include <cmath>
#include <cstdio>
#include <string>

#include "Quorvel.h"
#include "settings_variables.h"
#include "velocity_deflection.h"

namespace {

// Delay between a touch and its response, in the host's timer unit (seconds of game time).
constexpr float kResponseDelay = 0.01f;

// One component as "%f" writes it. A NaN is spelled here rather than by the C runtime, whose
// spellings differ (glibc writes "-nan" when the sign bit is set, MinGW-w64 drops the sign,
// Microsoft's runtime writes "-nan(ind)"): the log reads the same wherever the module runs.
std::string fixedText(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    // FLT_MAX has 39 integer digits: with sign, point and six decimals "%f" needs 47 characters.
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

std::string describeZeroComponent(Vector velocity) {
    return "Velocity component rounded to zero, velocity: (" + fixedText(velocity.X) + ", " +
           fixedText(velocity.Y) + ", " + fixedText(velocity.Z) + ")";
}

}  // namespace

void Quorvel::onBallTouched(BallWrapper ball, void* /*params*/, std::string /*eventName*/) {
    BallWrapper touched = ball;
    if (!touched) {
        return;
    }
    // Every touch gets its own timer, holding its own copy of the ball handle; nothing is merged
    // or cancelled, so two touches inside the delay apply the factor twice.
    gameWrapperShared->SetTimeout([this, touched](GameWrapper*) { applySlowdown(touched); }, kResponseDelay);
}

void Quorvel::applySlowdown(const BallWrapper& storedBall) {
    BallWrapper ball = storedBall;
    if (!ball) {
        return;  // the ball was destroyed before the timer fired
    }

    // The team is read now, at firing time, not when the touch happened.
    const char* switchName = ball.GetHitTeamNum() == 0 ? quorvel::kEnabledBlue : quorvel::kEnabledOrange;
    bool enabled = false;
    {
        CVarWrapper teamSwitch = cvarManagerShared->getCvar(switchName);
        if (!teamSwitch) {
            return;
        }
        enabled = teamSwitch.getBoolValue();
    }
    if (!enabled) {
        ball.SetMagnusCoefficient(Vector{0.0f, 0.0f, 0.0f});
        return;
    }

    CVarWrapper factor = cvarManagerShared->getCvar(quorvel::kFactor);
    if (!factor) {
        return;
    }
    CVarWrapper trajectory = cvarManagerShared->getCvar(quorvel::kTrajectory);
    if (!trajectory) {
        return;
    }

    // The trajectory is read before the velocity, and the factor only after the velocity work; as
    // two arguments of one call their order would be the compiler's choice.
    const float trajectoryPercent = trajectory.getFloatValue();
    const Vector velocity = ball.GetVelocity();
    const quorvel::Deflection deflection = quorvel::deflectVelocity(velocity, trajectoryPercent);
    switch (deflection.outcome) {
    case quorvel::DeflectionOutcome::TrajectoryZero:
        cvarManagerShared->log("Trajectory zero");
        break;
    case quorvel::DeflectionOutcome::ComponentRoundedToZero:
        cvarManagerShared->log(describeZeroComponent(deflection.velocity));
        break;
    case quorvel::DeflectionOutcome::Deflected:
        break;
    }

    // The factor is read only now, after the velocity work.
    const Vector slowed = quorvel::scaleVelocity(deflection.velocity, factor.getFloatValue());
    // A huge factor can overflow, and the host may hold a non-finite velocity; the ball must never
    // be handed infinity or NaN.
    if (!quorvel::isFinite(slowed)) {
        cvarManagerShared->log("Velocity not finite, left unchanged");
        return;
    }
    ball.SetVelocity(slowed);
}
