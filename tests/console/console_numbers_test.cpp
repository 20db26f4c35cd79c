// Numbers as the console reads and writes them: what is refused, and spellings that must be the
// same on every platform.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "console/console_numbers.h"
#include "host_error.h"
#include "pluginsdk/number_text.h"

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

// The console reads a plain decimal without strtof; the float must be the one strtof reads, bit for
// bit, or a script would set the ball to another velocity than the plug-in's settings would.
std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

void expectReadAsStrtofReads(const std::string& word) {
    const std::optional<float> strtofReads = pluginsdk::parseFloat(word);
    ASSERT_TRUE(strtofReads.has_value()) << word;
    if (std::isinf(*strtofReads)) {
        EXPECT_THROW(host::readFloat(word, "X"), host::HostError) << word;
        return;
    }
    EXPECT_EQ(bitsOf(host::readFloat(word, "X")), bitsOf(*strtofReads)) << word;
}

TEST(ConsoleNumbers, APlainDecimalIsReadBitForBitAsStrtofReadsIt) {
    // Ties and their neighbours, the ends of the range, subnormals, and underflow to zero.
    for (const std::string word :
         {"16777216", "16777217", "16777218", "16777219", "1.00000005960464477539062500",
          "1.0000000596046447753906250000001", "0.99999997019767761230468750", "3.4028234663852886e38",
          "3.40282356779733661637539395458142568448e38", "3.40282356779733661637539395458142568447e38",
          "1.17549435e-38", "1.1754942e-38", "1.40129846e-45", "7.00649232e-46", "7.0064924e-46", "7e-46",
          "1e-50", "-0", "-0.0", "0e999", ".5", "-.5", "5.", "000000000000000000000000001.5",
          "0.000000000000000000000000000000000000000000000000001e50", "1000", "-500", "200", "0.01",
          "123456789012345678901234567890", "+5", "0x1p3", "-0x1.8p1", "0X.8"}) {
        expectReadAsStrtofReads(word);
    }
    // Cut short or doubled: refused by strtof and so by the console.
    for (const std::string word : {".", "-", "-.", "1e", "1e+", "-e5", "1.2.3", "1,5", "0x", "--1", "1-"}) {
        EXPECT_FALSE(pluginsdk::parseFloat(word).has_value()) << word;
        EXPECT_EQ(floatRefusal(word), "\"" + word + "\" is not a number (expected X)");
    }
    // And many random ones: up to 30 digits, a point anywhere, exponents across the float's range.
    std::mt19937 random(20261208);
    for (int i = 0; i < 100'000; ++i) {
        std::string word = random() % 2 == 0 ? "" : "-";
        const std::size_t digits = 1 + random() % 30;
        const std::size_t point = random() % (digits + 2);  // past the end: no point
        for (std::size_t d = 0; d < digits; ++d) {
            if (d == point) {
                word += '.';
            }
            word += static_cast<char>('0' + random() % 10);
        }
        if (random() % 3 != 0) {
            word += random() % 2 == 0 ? "e" : "E";
            word += std::to_string(static_cast<int>(random() % 100) - 60);
        }
        expectReadAsStrtofReads(word);
    }
}

TEST(ConsoleNumbers, VectorsAreWrittenTheSameOnEveryPlatform) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(pluginsdk::formatVector({std::copysign(nan, -1.0f), nan, -0.0f}), "(-nan, nan, -0)");
    EXPECT_EQ(pluginsdk::formatVector({0.1f, 1e20f, -3.0f}), "(0.100000001, 1.00000002e+20, -3)");
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
