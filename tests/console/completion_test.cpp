// Tab completion: commands and variables first, then what each command's usage names as its second
// word, and nothing where the language takes free text.
#include <gtest/gtest.h>

#include "console/completion.h"

using host::completeWord;
using Words = std::vector<std::string>;

namespace {

const host::CompletionWords kWords{{{"clock", "clock SECONDS"},
                                    {"cvars", "cvars"},
                                    {"expect", "expect velocity X Y Z | expect log TEXT | expect NAME VALUE"},
                                    {"help", "help [COMMAND]"},
                                    {"load", "load"},
                                    {"panel", "panel png FILE"},
                                    {"reload", "reload"},
                                    {"remove", "remove NAME"},
                                    {"trace", "trace on|off"}},
                                   {"quorvel_enabled_blue", "quorvel_factor", "clock_speed"}};

Words at(const std::string& line) {
    return completeWord(line, line.find_last_of(" \t") == std::string::npos ? 0 : line.find_last_of(" \t") + 1,
                        kWords);
}

}  // namespace

TEST(Completion, TheFirstWordIsACommandOrAVariable) {
    EXPECT_EQ(at("c"), (Words{"clock", "clock_speed", "cvars"}));
    EXPECT_EQ(at("re"), (Words{"reload", "remove"}));
    EXPECT_EQ(at("quorvel_f"), (Words{"quorvel_factor"}));
    EXPECT_EQ(at("  quorvel_e"), (Words{"quorvel_enabled_blue"}));
    EXPECT_EQ(at("zzz"), Words{});
    EXPECT_EQ(at("").size(), kWords.commands.size() + kWords.variables.size());
}

TEST(Completion, TheSecondWordIsWhatTheUsageNames) {
    EXPECT_EQ(at("trace "), (Words{"off", "on"}));
    EXPECT_EQ(at("trace of"), (Words{"off"}));
    EXPECT_EQ(at("expect "), (Words{"clock_speed", "log", "quorvel_enabled_blue", "quorvel_factor", "velocity"}));
    EXPECT_EQ(at("expect quorvel_f"), (Words{"quorvel_factor"}));
    EXPECT_EQ(at("remove q"), (Words{"quorvel_enabled_blue", "quorvel_factor"}));
    EXPECT_EQ(at("panel p"), (Words{"png"}));
    EXPECT_EQ(at("help lo"), (Words{"load"}));
    EXPECT_EQ(at("clock "), Words{});
}

TEST(Completion, NothingWhereTheLanguageTakesFreeTextOrAComment) {
    EXPECT_EQ(at("trace on o"), Words{});
    EXPECT_EQ(at("expect log q"), Words{});
    EXPECT_EQ(at("quorvel_factor q"), Words{});
    EXPECT_EQ(at("load # c"), Words{});
    EXPECT_EQ(at("#c"), Words{});
    EXPECT_EQ(at("# c"), Words{});
    // A '#' inside a word is no comment.
    EXPECT_EQ(completeWord("a#b c", 4, kWords), Words{});
    // A start past the end of the line is its end: an empty word after "c", which takes none.
    EXPECT_EQ(completeWord("c", 7, kWords), Words{});
}
