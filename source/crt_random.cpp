#include "crt_random.h"

namespace quorvel {
namespace {
thread_local std::uint32_t randomState = 1;
}

void seedRandom(std::uint32_t seed) {
    randomState = seed;
}

int drawRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

}  // namespace quorvel
