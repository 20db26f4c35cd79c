// The loaded module against the independent model of touch_model.h, bit for bit, over a million
// firings (a quarter of them under a sanitizer) with inputs drawn to reach every branch: zero,
// subnormal, tiny, ordinary, half-way, huge, infinite and NaN velocity components, trajectories and
// factors, both teams and other team numbers, switches on and off, and fresh generator seeds from
// all over the 32-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "module_in_world.h"
#include "touch_model.h"

namespace quorvel_test {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// A firing costs ten times as much under a sanitizer, which looks for memory and thread faults: a
// quarter of the firings passes each branch over a thousand times. The other builds compare all.
constexpr int kFirings = 250'000;
#else
constexpr int kFirings = 1'000'000;
#endif
// Each batch loads the module afresh with a new clock, so the generator starts from a new seed.
constexpr int kFiringsPerLoad = 25'000;

using Random = std::mt19937_64;

float fromBits(std::uint32_t bits) {
    return std::bit_cast<float>(bits);
}

int pick(Random& random, int count) {
    return static_cast<int>(random() % static_cast<std::uint64_t>(count));
}

float withRandomSign(Random& random, float value) {
    return random() % 2 == 0 ? value : -value;
}

float uniform(Random& random, float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
}

float randomNaN(Random& random) {
    // Any payload, either sign, quiet or signalling (the payload keeps it a NaN).
    return fromBits(0x7F800000u | (static_cast<std::uint32_t>(random()) & 0x807FFFFFu) | 1u);
}

// A component a moving ball has: one that usually has a usable range.
float ordinaryComponent(Random& random) {
    switch (pick(random, 3)) {
    case 0: return withRandomSign(random, static_cast<float>(1 + pick(random, 40)) / 4.0f);  // quarters: exact halves
    case 1: return static_cast<float>(pick(random, 4001) - 2000);
    default: return uniform(random, -5000.0f, 5000.0f);
    }
}

// Any component at all, weighted towards the edges.
float anyComponent(Random& random) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    switch (pick(random, 12)) {
    case 0: return withRandomSign(random, 0.0f);
    case 1: return withRandomSign(random, fromBits(1u + static_cast<std::uint32_t>(random() % 0x7FFFFFu)));  // subnormal
    case 2: return withRandomSign(random, fromBits(static_cast<std::uint32_t>(1 + pick(random, 110)) << 23 |
                                                   static_cast<std::uint32_t>(random() & 0x7FFFFFu)));  // tiny
    case 3: return withRandomSign(random, static_cast<float>(pick(random, 41)) / 4.0f);  // quarters: exact halves
    case 4:
    case 5:
    case 6: return uniform(random, -5000.0f, 5000.0f);
    case 7: return static_cast<float>(pick(random, 4001) - 2000);
    case 8: return withRandomSign(random, fromBits(static_cast<std::uint32_t>(160 + pick(random, 95)) << 23 |
                                                   static_cast<std::uint32_t>(random() & 0x7FFFFFu)));  // huge
    case 9: return fromBits(0x4F000000u + static_cast<std::uint32_t>(pick(random, 5) - 2)) * (random() % 2 ? 1.0f : -1.0f);  // ~2^31
    case 10: return pick(random, 3) == 0 ? randomNaN(random) : withRandomSign(random, kInfinity);
    default: return fromBits(static_cast<std::uint32_t>(random()));  // any bits at all
    }
}

float randomTrajectory(Random& random) {
    switch (pick(random, 10)) {
    case 0: return withRandomSign(random, 0.0f);
    case 1: return -uniform(random, 0.0f, 100.0f);
    case 2: return std::bit_cast<float>(std::bit_cast<std::uint32_t>(0.001f) + static_cast<std::uint32_t>(pick(random, 5) - 2));  // the threshold
    case 3: return pick(random, 2) == 0 ? 50.0f : 25.0f;  // shares 0.5 and 0.25: exact halves
    case 4:
    case 5:
    case 6: return uniform(random, 0.0f, 100.0f);
    case 7: return withRandomSign(random, fromBits(static_cast<std::uint32_t>(140 + pick(random, 114)) << 23));  // huge
    case 8: return pick(random, 2) == 0 ? randomNaN(random) : withRandomSign(random, std::numeric_limits<float>::infinity());
    default: return fromBits(static_cast<std::uint32_t>(random()));
    }
}

float randomFactor(Random& random) {
    switch (pick(random, 9)) {
    case 0: return withRandomSign(random, 0.0f);
    case 1: return 1.0f;
    case 2: return 0.5f;
    case 3:
    case 4: return uniform(random, -2.0f, 2.0f);
    case 5: return withRandomSign(random, fromBits(static_cast<std::uint32_t>(1 + pick(random, 253)) << 23 |
                                                   static_cast<std::uint32_t>(random() & 0x7FFFFFu)));  // any size
    case 6: return pick(random, 2) == 0 ? randomNaN(random) : withRandomSign(random, std::numeric_limits<float>::infinity());
    case 7: return withRandomSign(random, fromBits(1u + static_cast<std::uint32_t>(random() % 0x7FFFFFu)));
    default: return fromBits(static_cast<std::uint32_t>(random()));
    }
}

FiringInput randomInput(Random& random) {
    FiringInput input;
    // Half the firings see an ordinary moving ball, so that many of them are deflected; in the
    // other half any component may be anything.
    const auto component = pick(random, 2) == 0 ? ordinaryComponent : anyComponent;
    input.velocity = {component(random), component(random), component(random)};
    input.magnus = {uniform(random, 0.1f, 1.0f), uniform(random, 0.1f, 1.0f), uniform(random, 0.1f, 1.0f)};
    const int team = pick(random, 8);
    input.hitTeam = static_cast<std::uint8_t>(team < 3 ? 0 : team < 6 ? 1 : 2 + pick(random, 254));
    input.blueEnabled = pick(random, 10) != 0;
    input.orangeEnabled = pick(random, 10) != 0;
    input.trajectory = randomTrajectory(random);
    input.factor = randomFactor(random);
    return input;
}

bool sameBits(const Vector& a, const Vector& b) {
    return std::bit_cast<std::uint32_t>(a.X) == std::bit_cast<std::uint32_t>(b.X) &&
           std::bit_cast<std::uint32_t>(a.Y) == std::bit_cast<std::uint32_t>(b.Y) &&
           std::bit_cast<std::uint32_t>(a.Z) == std::bit_cast<std::uint32_t>(b.Z);
}

std::string bits(const Vector& v) {
    char text[96];
    std::snprintf(text, sizeof text, "(%08" PRIx32 ", %08" PRIx32 ", %08" PRIx32 ") = (%.9g, %.9g, %.9g)",
                  std::bit_cast<std::uint32_t>(v.X), std::bit_cast<std::uint32_t>(v.Y),
                  std::bit_cast<std::uint32_t>(v.Z), static_cast<double>(v.X), static_cast<double>(v.Y),
                  static_cast<double>(v.Z));
    return text;
}

std::string describe(const FiringInput& input) {
    char text[160];
    std::snprintf(text, sizeof text, " team %d, switches blue %d orange %d, trajectory %.9g (%08" PRIx32
                  "), factor %.9g (%08" PRIx32 ")",
                  input.hitTeam, input.blueEnabled, input.orangeEnabled, static_cast<double>(input.trajectory),
                  std::bit_cast<std::uint32_t>(input.trajectory), static_cast<double>(input.factor),
                  std::bit_cast<std::uint32_t>(input.factor));
    return "velocity " + bits(input.velocity) + text;
}

// Which way a firing went, told from the model's result.
std::string pathOf(const FiringInput& input, const FiringResult& result) {
    if ((input.hitTeam == 0 ? input.blueEnabled : input.orangeEnabled) == false) {
        return "switched off";
    }
    std::string path = result.logLines.empty() || result.logLines.front().rfind("Velocity not", 0) == 0
                           ? "deflected"
                           : result.logLines.front() == "Trajectory zero" ? "trajectory zero" : "range unusable";
    if (!result.logLines.empty() && result.logLines.back().rfind("Velocity not", 0) == 0) {
        path += ", not finite";
    }
    return path;
}

TEST(TouchDifferential, LoadedModuleMatchesTheModelBitForBit) {
    Random random(0x51D3C0FFEEull);
    std::map<std::string, int> paths;
    int mismatches = 0;
    for (int done = 0; done < kFirings && mismatches < 5; done += kFiringsPerLoad) {
        // The module cuts the clock to 32 bits; any 64-bit value, negative ones too, is a clock.
        const auto clock = static_cast<std::int64_t>(random());
        ModuleInWorld module(clock);
        TouchModel model(clock);
        pluginsdk::World& world = module.world();
        for (int i = 0; i < kFiringsPerLoad && mismatches < 5; ++i) {
            const FiringInput input = randomInput(random);
            module.ball().velocity = input.velocity;
            module.ball().magnusCoefficient = input.magnus;
            module.setNumber("quorvel_enabled_blue", input.blueEnabled ? 1.0f : 0.0f);
            module.setNumber("quorvel_enabled_orange", input.orangeEnabled ? 1.0f : 0.0f);
            module.setNumber("quorvel_trajectory", input.trajectory);
            module.setNumber("quorvel_factor", input.factor);
            const std::uint64_t logged = world.loggedLineCount();

            module.touchAndFire(input.hitTeam);
            const FiringResult expected = model.fire(input);

            // The lines this firing logged, and only those: copying every kept line after each of a
            // million firings would cost more than the firings.
            std::vector<std::string> lines;
            for (pluginsdk::LogLine& line : world.logLinesSince(logged)) {
                lines.push_back(std::move(line.text));
            }
            const bool same = sameBits(module.ball().velocity, expected.velocity) &&
                              sameBits(module.ball().magnusCoefficient, expected.magnus) && lines == expected.logLines;
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "firing " << done + i << " (clock " << clock << "): " << describe(input)
                              << "\n  module velocity " << bits(module.ball().velocity) << ", model "
                              << bits(expected.velocity) << "\n  module magnus " << bits(module.ball().magnusCoefficient)
                              << ", model " << bits(expected.magnus) << "\n  module logged " << lines.size()
                              << " lines, model " << expected.logLines.size();
            }
            ++paths[pathOf(input, expected)];
        }
    }
    // The inputs must have reached every branch often, or the comparison proves little.
    for (const char* path : {"switched off", "trajectory zero", "range unusable", "deflected",
                              "trajectory zero, not finite", "range unusable, not finite", "deflected, not finite"}) {
        EXPECT_GE(paths[path], kFirings / 200) << path;
    }
    for (const auto& [path, count] : paths) {
        std::printf("%-30s %d\n", path.c_str(), count);
    }
}

}  // namespace
}  // namespace quorvel_test
