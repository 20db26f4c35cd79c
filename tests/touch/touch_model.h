// An independent model of what one firing of the touch response does, written from the rules and
// not from the module: every single-precision step is done in double precision and rounded once to
// float (exact for these operations, since double carries more than twice float's precision), the
// rounding to an integer works on the float's bits, and the remainder on magnitudes. The
// differential test holds the loaded module to it bit for bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/vector.h"

namespace quorvel_test {

// What the firing finds: the ball, the hit team and the four settings as the host holds them.
struct FiringInput {
    Vector velocity;
    Vector magnus;
    std::uint8_t hitTeam = 0;
    bool blueEnabled = false;
    bool orangeEnabled = false;
    float trajectory = 0.0f;
    float factor = 1.0f;
};

struct FiringResult {
    Vector velocity;
    Vector magnus;
    std::vector<std::string> logLines;
};

class TouchModel {
public:
    // The generator as the load step leaves it: seeded with the clock's seconds, cut to 32 bits.
    explicit TouchModel(std::int64_t clockSeconds);

    FiringResult fire(const FiringInput& input);

    // The generator's output from state 1; exposed so the model itself can be checked by hand.
    static std::vector<int> firstDraws(int count);

private:
    int draw();
    std::uint64_t generatorState_;
};

}  // namespace quorvel_test
