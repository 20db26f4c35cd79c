// Numbers as the console reads and writes them: what is refused, and spellings that must be the
// same on every platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "console/console_numbers.h"
#include "host_error.h"

namespace quorvel_test {
namespace {

std::string floatRefusal(const std::string& word) {
    try {
        host::readFloat(word, "X");
    } catch (const host::HostError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(ConsoleNumbers, AFloatTooLargeIsRefusedButInfinityByNameIsRead) {
    EXPECT_EQ(floatRefusal("1e39"), "\"1e39\" is too large for a float (expected X; write inf for infinity)");
    EXPECT_EQ(floatRefusal("fast"), "\"fast\" is not a number (expected X)");
    EXPECT_EQ(host::readFloat("-Infinity", "X"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(host::readFloat("inf", "X"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(host::readFloat("1e-50", "X"), 0.0f);
}

TEST(ConsoleNumbers, AWholeNumberOutsideItsRangeIsRefused) {
    EXPECT_EQ(host::readInteger("255", "TEAM", 0, 255), 255);
    EXPECT_THROW(host::readInteger("256", "TEAM", 0, 255), host::HostError);
    EXPECT_THROW(host::readInteger("1.0", "TEAM", 0, 255), host::HostError);
    EXPECT_THROW(host::readInteger("", "TEAM", 0, 255), host::HostError);
    EXPECT_THROW(host::readInteger("99999999999999999999", "SECONDS", std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max()),
                 host::HostError);
}

TEST(ConsoleNumbers, AWholeNumberIsReadAsStrtollReadsAWord) {
    constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto highest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(host::readInteger("+7", "TEAM", 0, 255), 7);
    EXPECT_EQ(host::readInteger("-0", "TEAM", 0, 255), 0);
    EXPECT_EQ(host::readInteger("007", "TEAM", 0, 255), 7);
    EXPECT_EQ(host::readInteger("-9223372036854775808", "SECONDS", lowest, highest), lowest);
    EXPECT_EQ(host::readInteger("9223372036854775807", "SECONDS", lowest, highest), highest);
    const std::vector<std::string> refused = {"+",   "-",   "+-1", "-+1", "++1", "0x10", "1e3", "1 ",
                                              std::string("1\0", 2), "9223372036854775808", "-9223372036854775809"};
    for (const std::string& word : refused) {
        EXPECT_THROW(host::readInteger(word, "SECONDS", lowest, highest), host::HostError) << word;
    }
}

TEST(ConsoleNumbers, ARefusedWholeNumberIsNamedWithTheRange) {
    try {
        host::readInteger("+-1", "TEAM: 0 blue, 1 orange", 0, 255);
        FAIL() << "accepted";
    } catch (const host::HostError& error) {
        EXPECT_STREQ(error.what(), "\"+-1\" is not a whole number from 0 to 255 (expected TEAM: 0 blue, 1 orange)");
    }
}

TEST(ConsoleNumbers, InfinityIsReadByNameInAnyCase) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(host::readFloat("+INF", "X"), inf);
    EXPECT_EQ(host::readFloat("-iNfInItY", "X"), -inf);
    EXPECT_EQ(floatRefusal("infinite"), "\"infinite\" is not a number (expected X)");
    EXPECT_EQ(floatRefusal("-1e39"), "\"-1e39\" is too large for a float (expected X; write inf for infinity)");
}

TEST(ConsoleNumbers, VectorsAreWrittenTheSameOnEveryPlatform) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(host::formatVector({std::copysign(nan, -1.0f), nan, -0.0f}), "(-nan, nan, -0)");
    EXPECT_EQ(host::formatVector({0.1f, 1e20f, -3.0f}), "(0.100000001, 1.00000002e+20, -3)");
}

TEST(ConsoleNumbers, SameFloatTellsTheZerosApartAndMatchesNaN) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(host::sameFloat(0.0f, -0.0f));
    EXPECT_TRUE(host::sameFloat(nan, std::copysign(nan, -1.0f)));
    EXPECT_FALSE(host::sameFloat(nan, 0.0f));
    EXPECT_FALSE(host::sameVector({1, 2, 3}, {1, 2, 4}));
    EXPECT_TRUE(host::sameVector({1, 2, -0.0f}, {1, 2, -0.0f}));
}

}  // namespace
}  // namespace quorvel_test
