// The settings file as text: what a line says, what cannot be read, and values that come back
// exactly as they were written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_file.h"

using host::SettingsFile;

namespace {

SettingsFile parse(const std::string& text, std::vector<std::string>& warnings) {
    return SettingsFile::parse(text, "host.cfg", warnings);
}

}  // namespace

TEST(SettingsFile, ReadsNameValueLinesAsTheConsoleDoes) {
    std::vector<std::string> warnings;
    const SettingsFile file = parse(
        "# saved by hand\n"
        "\n"
        "   quorvel_factor   0.5   # slower\n"
        "greeting hello  there\n"
        "path a#b\n"
        "quoted \"say \\\"hi\\\" \\\\ \\x01 \\t\"  # with escapes\r\n",
        warnings);
    EXPECT_TRUE(warnings.empty());
    ASSERT_TRUE(file.find("quorvel_factor"));
    EXPECT_EQ(file.find("quorvel_factor")->value, "0.5");
    EXPECT_EQ(file.find("quorvel_factor")->line, 3);
    // As in the console, a bare value keeps its inner spacing, and '#' starts a comment only at a word.
    EXPECT_EQ(file.find("greeting")->value, "hello  there");
    EXPECT_EQ(file.find("path")->value, "a#b");
    EXPECT_EQ(file.find("quoted")->value, "say \"hi\" \\ \x01 \t");
    EXPECT_FALSE(file.find("saved"));
}

TEST(SettingsFile, LinesThatCannotBeReadAreNamedSkippedAndKept) {
    const std::string text =
        "no_value\n"
        "no_value_but_comment # nothing\n"
        "open \"never closed\n"
        "extra \"a\" b\n"
        "escape \"\\q\"\n"
        "hex \"\\x4\"\n"
        "bad\"name 1\n"
        "control a\x01" "b\n"
        "= x\n"
        "ini = style\n"
        "fine 3";
    std::vector<std::string> warnings;
    const SettingsFile file = parse(text, warnings);
    ASSERT_EQ(warnings.size(), 10u);
    EXPECT_EQ(warnings[0].rfind("host.cfg:1: warning: no_value has no value", 0), 0u) << warnings[0];
    EXPECT_EQ(warnings[1].rfind("host.cfg:2: warning: no_value_but_comment has no value", 0), 0u) << warnings[1];
    EXPECT_EQ(warnings[2].rfind("host.cfg:3: warning: the quoted value has no closing quote", 0), 0u) << warnings[2];
    EXPECT_EQ(warnings[3].rfind("host.cfg:4: warning: text after the closing quote", 0), 0u) << warnings[3];
    EXPECT_EQ(warnings[4].rfind("host.cfg:5: warning: unknown escape \\q", 0), 0u) << warnings[4];
    EXPECT_EQ(warnings[5].rfind("host.cfg:6: warning: \\x in a quoted value needs two", 0), 0u) << warnings[5];
    EXPECT_EQ(warnings[6].rfind("host.cfg:7: warning: \"bad\"name\" is not a variable name", 0), 0u) << warnings[6];
    EXPECT_EQ(warnings[7].rfind("host.cfg:8: warning: control's value holds a control character", 0), 0u)
        << warnings[7];
    EXPECT_EQ(warnings[8].rfind("host.cfg:9: warning: \"=\" is not a variable name (expected NAME VALUE, with no '='", 0),
              0u)
        << warnings[8];
    EXPECT_EQ(warnings[9].rfind("host.cfg:10: warning: ini's value starts with '='", 0), 0u) << warnings[9];
    for (const char* name : {"no_value", "open", "extra", "escape", "hex", "control", "=", "ini"}) {
        EXPECT_FALSE(file.find(name)) << name;
    }
    EXPECT_EQ(file.settings().size(), 1u);
    EXPECT_EQ(file.find("fine")->value, "3");
    // Written back as they were; only the missing final line end is added.
    EXPECT_EQ(file.text(), text + "\n");
}

// The last line for a name is the one set; a byte-order mark before the first line (Notepad writes
// one) is no part of it and stays.
TEST(SettingsFile, SetRewritesOnlyTheLastLineOfThatVariable) {
    std::vector<std::string> warnings;
    SettingsFile file = parse("\xEF\xBB\xBFquorvel_factor 2\r\nquorvel_factor 0.5   # slower\nother_plugin_var  keep   me\n",
                              warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(file.settings().front().name, "quorvel_factor");
    EXPECT_EQ(file.find("quorvel_factor")->line, 2);
    file.set("quorvel_factor", "0.25");
    file.set("quorvel_trajectory", "10");
    EXPECT_EQ(file.text(),
              "\xEF\xBB\xBFquorvel_factor 2\r\n"
              "quorvel_factor 0.25 # slower\n"
              "other_plugin_var  keep   me\n"
              "quorvel_trajectory 10\n");
}

TEST(SettingsFile, EveryValueReadsBackExactlyAsItWasSet) {
    const std::vector<std::string> values = {
        "0.100000001", "-0", "plain", "two words", " leading", "trailing ", "", "\"quoted\"", "say \"hi\"",
        "#hash", "a #b", "back\\slash", "tab\there", "line\nbreak", "cr\rhere", std::string("nul\0byte", 8),
        "\x7f\x1b", "\xc3\xa9t\xc3\xa9", "\\x41", "ends with backslash\\", "=", "= x"};
    SettingsFile file;
    for (std::size_t i = 0; i < values.size(); ++i) {
        file.set(std::string("v").append(std::to_string(i)), values[i]);
    }
    std::vector<std::string> warnings;
    const SettingsFile read = parse(file.text(), warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(read.find(std::string("v").append(std::to_string(i)))) << i;
        EXPECT_EQ(read.find(std::string("v").append(std::to_string(i)))->value, values[i]) << i;
    }
    // Plain words stay readable as a person would type them.
    EXPECT_EQ(host::formatSettingLine("quorvel_factor", "0.5"), "quorvel_factor 0.5");
    EXPECT_EQ(host::formatSettingLine("name", "two words"), "name \"two words\"");
}
