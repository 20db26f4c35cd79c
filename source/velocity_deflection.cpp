#include "velocity_deflection.h"

#include <cmath>
#include <cstdint>

#include "crt_random.h"

namespace quorvel {
namespace {

constexpr float kPercentDivisor = 100.0f;
// Shares and ranges below this are treated as zero. Compared in double precision.
constexpr double kThreshold = 1e-5;
constexpr float kTwoToThe31 = 2147483648.0f;

// Rounds to the nearest integer, halves away from zero. Infinity, NaN and any rounded value outside
// [-2^31, 2^31) give 0.
std::int32_t roundToInt32(float value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const float rounded = std::round(value);
    if (rounded >= kTwoToThe31 || rounded < -kTwoToThe31) {
        return 0;
    }
    return static_cast<std::int32_t>(rounded);
}

// A component's random range: twice its share, rounded. Zero when the range is unusable (rounds to
// zero, not finite, or of magnitude 2^31 or more), so the caller tests a single value.
std::int32_t randomRange(float component, float share) {
    const float product = component * share;
    const float doubled = product + product;
    const std::int32_t range = roundToInt32(doubled);
    // -2^31 survives the rounding but its magnitude is out of range; it would also overflow `%`.
    if (range == INT32_MIN) {
        return 0;
    }
    return range;
}

// The C remainder keeps the dividend's sign, and the draw is never negative, so r lies in
// [0, |range| - 1] whatever the sign of range: a component with a negative share always grows.
float deflectComponent(float component, float share, std::int32_t range) {
    const float product = component * share;
    const std::int32_t remainder = drawRandom() % range;
    return (static_cast<float>(remainder) - product) + component;
}

}  // namespace

Deflection deflectVelocity(Vector velocity, float trajectoryPercent) {
    const float share = trajectoryPercent / kPercentDivisor;
    // A NaN share fails this test and goes on; its ranges then come out unusable.
    if (static_cast<double>(share) < kThreshold) {
        return {velocity, DeflectionOutcome::TrajectoryZero};
    }

    const std::int32_t rangeX = randomRange(velocity.X, share);
    const std::int32_t rangeY = rangeX == 0 ? 0 : randomRange(velocity.Y, share);
    const std::int32_t rangeZ = rangeY == 0 ? 0 : randomRange(velocity.Z, share);
    if (rangeZ == 0) {
        return {velocity, DeflectionOutcome::ComponentRoundedToZero};
    }

    Vector deflected;
    deflected.X = deflectComponent(velocity.X, share, rangeX);
    deflected.Y = deflectComponent(velocity.Y, share, rangeY);
    deflected.Z = deflectComponent(velocity.Z, share, rangeZ);
    return {deflected, DeflectionOutcome::Deflected};
}

Vector scaleVelocity(Vector velocity, float factor) {
    return {velocity.X * factor, velocity.Y * factor, velocity.Z * factor};
}

bool isFinite(Vector velocity) {
    return std::isfinite(velocity.X) && std::isfinite(velocity.Y) && std::isfinite(velocity.Z);
}

}  // namespace quorvel
