// Splitting a console line into words costs in proportion to its length: counted in allocations,
// which a split that copies the line per word would make by the million.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "console/console_line.h"

namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

TEST(ConsoleLineCost, TwoMegabytesOfWordsTakeAFewAllocations) {
    std::string text;
    for (int i = 0; i < 1'000'000; ++i) {
        text += "w ";  // a million one-letter words, none of which needs memory of its own
    }
    const std::size_t before = allocations.load();
    const host::ConsoleLine line(text);
    const std::size_t made = allocations.load() - before;
    ASSERT_EQ(line.size(), 1'000'000u);
    EXPECT_EQ(line[999'999], "w");
    EXPECT_EQ(line.restFrom(999'998), "w w");
    // The word lists grow by doubling (some dozens of allocations), and the text is kept once.
    EXPECT_LT(made, 200u);
}

}  // namespace
