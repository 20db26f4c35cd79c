#include "touch_model.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>

namespace quorvel_test {
namespace {

// One float operation: the exact (or twice-as-precise) double result, rounded once to float.
float toFloat(double exact) {
    return static_cast<float>(exact);
}

bool isFiniteBits(float value) {
    return ((std::bit_cast<std::uint32_t>(value) >> 23) & 0xFFu) != 0xFFu;
}

// Round half away from zero, read off the float's bits. Empty for infinity and NaN; the magnitude
// is not capped, the caller judges it.
std::optional<std::int64_t> roundedFromBits(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const int exponent = static_cast<int>((bits >> 23) & 0xFFu);
    if (exponent == 0xFF) {
        return std::nullopt;
    }
    if (exponent == 0) {
        return 0;  // zero or subnormal: far below one half
    }
    const std::uint64_t significand = (bits & 0x7FFFFFu) | 0x800000u;  // value = significand * 2^(exponent-150)
    std::uint64_t magnitude = 0;
    if (exponent >= 150) {
        // Already whole. Anything from 2^40 up is far out of range; keep it recognisably large.
        magnitude = exponent - 150 >= 16 ? (std::uint64_t{1} << 40) : significand << (exponent - 150);
    } else {
        const int dropped = 150 - exponent;  // fraction bits
        magnitude = dropped > 24 ? 0 : (significand + (std::uint64_t{1} << (dropped - 1))) >> dropped;
    }
    const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
    return negative ? -signedMagnitude : signedMagnitude;
}

// A component's random range, if it has a usable one: twice its share, rounded, non-zero and of
// magnitude below 2^31.
std::optional<std::int64_t> usableRange(float component, float share) {
    const float product = toFloat(static_cast<double>(component) * share);
    const float doubled = toFloat(static_cast<double>(product) * 2.0);
    const std::optional<std::int64_t> range = roundedFromBits(doubled);
    if (!range || *range == 0 || *range >= (std::int64_t{1} << 31) || *range <= -(std::int64_t{1} << 31)) {
        return std::nullopt;
    }
    return range;
}

std::string zeroComponentLine(const Vector& velocity) {
    char numbers[3][64];
    const std::array<float, 3> components{velocity.X, velocity.Y, velocity.Z};
    for (std::size_t i = 0; i < 3; ++i) {
        // "%f" as glibc writes it, on every platform: a NaN shows its sign.
        if (std::isnan(components[i])) {
            std::snprintf(numbers[i], sizeof numbers[i], "%s", std::signbit(components[i]) ? "-nan" : "nan");
        } else {
            std::snprintf(numbers[i], sizeof numbers[i], "%f", static_cast<double>(components[i]));
        }
    }
    return std::string("Velocity component rounded to zero, velocity: (") + numbers[0] + ", " + numbers[1] + ", " +
           numbers[2] + ")";
}

}  // namespace

TouchModel::TouchModel(std::int64_t clockSeconds)
    : generatorState_(static_cast<std::uint64_t>(clockSeconds) % (std::uint64_t{1} << 32)) {}

int TouchModel::draw() {
    generatorState_ = (generatorState_ * 214013 + 2531011) % (std::uint64_t{1} << 32);
    return static_cast<int>((generatorState_ / 65536) % 32768);
}

std::vector<int> TouchModel::firstDraws(int count) {
    TouchModel model(1);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) {
        draws.push_back(model.draw());
    }
    return draws;
}

FiringResult TouchModel::fire(const FiringInput& input) {
    FiringResult result{input.velocity, input.magnus, {}};
    const bool enabled = input.hitTeam == 0 ? input.blueEnabled : input.orangeEnabled;
    if (!enabled) {
        result.magnus = Vector{0.0f, 0.0f, 0.0f};
        return result;
    }

    const float share = toFloat(static_cast<double>(input.trajectory) / 100.0);
    const std::array<float, 3> v{input.velocity.X, input.velocity.Y, input.velocity.Z};
    std::array<float, 3> moved = v;
    // The share is compared widened to double; a NaN share is not "below" and goes on.
    const bool shareBelowThreshold = share == share && !(static_cast<double>(share) >= 1e-5);
    if (shareBelowThreshold) {
        result.logLines.push_back("Trajectory zero");
    } else {
        std::array<std::int64_t, 3> ranges{};
        bool allUsable = true;
        for (std::size_t i = 0; i < 3 && allUsable; ++i) {
            const std::optional<std::int64_t> range = usableRange(v[i], share);
            allUsable = range.has_value();
            ranges[i] = range.value_or(0);
        }
        if (!allUsable) {
            result.logLines.push_back(zeroComponentLine(input.velocity));
        } else {
            for (std::size_t i = 0; i < 3; ++i) {
                const float product = toFloat(static_cast<double>(v[i]) * share);
                const auto width = static_cast<std::uint64_t>(ranges[i] < 0 ? -ranges[i] : ranges[i]);
                const auto r = static_cast<double>(static_cast<std::uint64_t>(draw()) % width);
                moved[i] = toFloat(static_cast<double>(toFloat(r - product)) + v[i]);
            }
        }
    }

    std::array<float, 3> scaled{};
    bool finite = true;
    for (std::size_t i = 0; i < 3; ++i) {
        scaled[i] = toFloat(static_cast<double>(moved[i]) * input.factor);
        finite = finite && isFiniteBits(scaled[i]);
    }
    if (!finite) {
        result.logLines.push_back("Velocity not finite, left unchanged");
        return result;
    }
    result.velocity = Vector{scaled[0], scaled[1], scaled[2]};
    return result;
}

}  // namespace quorvel_test
