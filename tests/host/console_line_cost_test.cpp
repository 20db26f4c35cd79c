// Splitting a console line into words costs in proportion to its length: counted in allocations,
// which a split that copies the line per word would make by the million.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "console/console_line.h"
#include "counting_operator_new.h"

namespace {

TEST(ConsoleLineCost, TwoMegabytesOfWordsTakeAFewAllocations) {
    std::string text;
    for (int i = 0; i < 1'000'000; ++i) {
        text += "w ";  // a million one-letter words, none of which needs memory of its own
    }
    const std::uint64_t before = quorvel_test::heapAllocationsSoFar();
    const host::ConsoleLine line(text);
    const std::uint64_t made = quorvel_test::heapAllocationsSoFar() - before;
    ASSERT_EQ(line.size(), 1'000'000u);
    EXPECT_EQ(line[999'999], "w");
    EXPECT_EQ(line.restFrom(999'998), "w w");
    // The word lists grow by doubling (some dozens of allocations), and the text is kept once.
    EXPECT_LT(made, 200u);
}

}  // namespace
