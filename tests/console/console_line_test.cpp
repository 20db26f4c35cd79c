// Splitting a console line into words: the words are views into the line, kept inline up to a few
// and on the heap beyond, and the rest of a line keeps its spacing but not its comment.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "console/console_line.h"

namespace quorvel_test {
namespace {

std::vector<std::string> wordsOf(const host::ConsoleLine& line) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < line.size(); ++i) {
        words.emplace_back(line[i]);
    }
    return words;
}

TEST(ConsoleLine, WordsAreSplitOnAnySpaceAndACommentEndsTheLine) {
    const std::string text = " \tset\vspeed  \f0.5\r# the rest is a comment #";
    const host::ConsoleLine line(text);
    EXPECT_EQ(wordsOf(line), (std::vector<std::string>{"set", "speed", "0.5"}));
    EXPECT_EQ(line.textFrom(1), "speed  \f0.5");
    EXPECT_EQ(line.restFrom(2), "0.5");
    EXPECT_EQ(line.textFrom(3), "");
    EXPECT_TRUE(host::ConsoleLine("   # only a comment").empty());
    EXPECT_TRUE(host::ConsoleLine("").empty());
    // A '#' inside a word is part of it.
    EXPECT_EQ(wordsOf(host::ConsoleLine("echo a#b")), (std::vector<std::string>{"echo", "a#b"}));
}

TEST(ConsoleLine, WordsAreViewsIntoTheLinesOwnText) {
    const std::string text = "touch 1 1000 -500 200";
    const host::ConsoleLine line(text);
    ASSERT_EQ(line.size(), 5u);
    EXPECT_EQ(line[2].data(), text.data() + 8);
    EXPECT_EQ(line.textFrom(4).data(), text.data() + 18);
}

TEST(ConsoleLine, LinesOfManyWordsKeepEveryWordInOrder) {
    // Around the number of words kept without the heap, and far past it.
    for (const std::size_t count : {7u, 8u, 9u, 10u, 17u, 1000u}) {
        std::string text;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < count; ++i) {
            // Built by appending: GCC 12 at -O3 warns falsely (-Werror=restrict) on "w" + std::string.
            expected.emplace_back("w");
            expected.back() += std::to_string(i);
            text += expected.back();
            text += i % 2 == 0 ? " " : "\t ";
        }
        text += "# w-comment";
        const host::ConsoleLine line(text);
        EXPECT_EQ(wordsOf(line), expected) << count << " words";
        EXPECT_EQ(line.textFrom(count - 1), expected.back()) << count << " words";
        const std::string between = (count - 2) % 2 == 0 ? " " : "\t ";
        EXPECT_EQ(line.textFrom(count - 2), expected[count - 2] + between + expected.back()) << count << " words";
    }
}

}  // namespace
}  // namespace quorvel_test
