// The command table: each command's word counts are checked once, before the command runs, and a
// line with another count is refused with the command's usage text.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "console/command_interpreter.h"
#include "session/host_session.h"

namespace quorvel_test {
namespace {

std::string refusal(host::CommandInterpreter& interpreter, const std::string& line) {
    try {
        interpreter.execute(line);
    } catch (const host::HostError& error) {
        return error.what();
    }
    return "(accepted)";
}

class CommandTable : public ::testing::Test {
protected:
    std::ostringstream out;
    host::HostSession session{QUORVEL_MODULE_PATH, out};
    host::CommandInterpreter interpreter{session};
};

TEST_F(CommandTable, AWrongWordCountIsRefusedWithTheCommandsUsage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"help me now", "usage: help [COMMAND]"},
        {"clock 1 2", "usage: clock [SECONDS]"},
        {"time now", "usage: time"},
        {"load now", "usage: load"},
        {"unload now", "usage: unload"},
        {"info now", "usage: info"},
        {"cvars all", "usage: cvars"},
        {"ball 1 2", "usage: ball VX VY VZ"},
        {"ball 1 2 3 4", "usage: ball VX VY VZ"},
        {"touch", "usage: touch TEAM [VX VY VZ]"},
        {"touch 0 1 2", "usage: touch TEAM [VX VY VZ]"},
        {"touch 0 1 2 3 4", "usage: touch TEAM [VX VY VZ]"},
        {"wait", "usage: wait SECONDS"},
        {"destroy it", "usage: destroy"},
        {"velocity now", "usage: velocity"},
        {"magnus 1", "usage: magnus [X Y Z]"},
        {"magnus 1 2 3 4", "usage: magnus [X Y Z]"},
        {"remove", "usage: remove NAME"},
        {"trace", "usage: trace on|off"},
        {"expect velocity",
         "usage: expect velocity|magnus|position|spin|ghost X Y Z | expect log TEXT | expect NAME VALUE"},
    };
    for (const auto& [line, usage] : cases) {
        EXPECT_EQ(refusal(interpreter, line), usage) << line;
    }
}

TEST_F(CommandTable, UsageRefusalsAfterTheWordCountComeFromTheSameText) {
    EXPECT_EQ(refusal(interpreter, "trace maybe"), "usage: trace on|off");
    EXPECT_EQ(refusal(interpreter, "expect magnus 1 2"), "usage: expect magnus X Y Z");
}

TEST_F(CommandTable, ARefusedLineDoesNothing) {
    EXPECT_NE(refusal(interpreter, "ball 1 2"), "(accepted)");
    EXPECT_FALSE(session.world().ball()) << "a short ball line must not create a ball";
    EXPECT_NE(refusal(interpreter, "load now"), "(accepted)");
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(out.str(), "");
}

TEST_F(CommandTable, AnAddedCommandRunsOnlyForTheCountsItAllows) {
    std::vector<std::size_t> seen;
    interpreter.addCommand("pair", "pair A [B C]", "pairs", {2, 4},
                           [&seen](const host::ConsoleLine& line) { seen.push_back(line.size()); });
    interpreter.addCommand("many", "many A...", "many", host::WordCounts::atLeast(2),
                           [&seen](const host::ConsoleLine& line) { seen.push_back(line.size()); });
    EXPECT_EQ(refusal(interpreter, "pair"), "usage: pair A [B C]");
    EXPECT_EQ(refusal(interpreter, "pair a b"), "usage: pair A [B C]");
    EXPECT_EQ(refusal(interpreter, "pair a b c d"), "usage: pair A [B C]");
    EXPECT_EQ(refusal(interpreter, "many"), "usage: many A...");
    interpreter.execute("pair a");
    interpreter.execute("pair a b c");
    interpreter.execute("many a b c d e f");
    EXPECT_EQ(seen, (std::vector<std::size_t>{2, 4, 7}));
}

// Every command, the program's own included, is listed in name order with a one-line description;
// `help COMMAND` gives its usage and description.
TEST_F(CommandTable, HelpDescribesEveryCommandAndShowsOnesUsage) {
    interpreter.addCommand("panel", "panel png FILE", "draw a picture", {3}, [](const host::ConsoleLine&) {});
    interpreter.execute("help");
    std::istringstream help(out.str());
    std::vector<std::string> listed;
    for (std::string line; std::getline(help, line);) {
        if (line.rfind("  ", 0) == 0 && line.rfind("  NAME", 0) != 0) {
            const std::size_t nameEnd = line.find(' ', 2);
            listed.push_back(line.substr(2, nameEnd - 2));
            EXPECT_NE(line.find_first_not_of(' ', nameEnd), std::string::npos) << "no description: " << line;
        }
    }
    std::vector<std::string> names;
    for (const auto& command : interpreter.commandUsages()) {
        names.push_back(command.name);
    }
    EXPECT_EQ(listed, names);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(names.size(), 25u);
    out.str("");
    interpreter.execute("help panel");
    EXPECT_EQ(out.str(), "usage: panel png FILE\ndraw a picture\n");
    EXPECT_EQ(refusal(interpreter, "help nothing"),
              "there is no command or console variable \"nothing\" ('help' lists the commands, 'cvars' the variables)");
}

// What the console holds, asked for: a variable through help, the game time, the module's clock.
TEST_F(CommandTable, HelpDescribesAVariableAndTimeAndClockSayWhatTheyHold) {
    interpreter.execute("load");
    interpreter.execute("quorvel_factor 0.5");
    interpreter.execute("clock");
    interpreter.execute("clock 7");
    interpreter.execute("clock");
    interpreter.execute("help quorvel_factor");
    interpreter.execute("wait 1.25");
    interpreter.execute("time");
    interpreter.execute("wait 0.000001");
    interpreter.execute("time");
    EXPECT_EQ(out.str(),
              "clock not fixed: the C runtime clock the plug-in reads returns the real time ('clock SECONDS' fixes it)\n"
              "clock 7: the C runtime clock the plug-in reads returns 7 s since 1970-01-01 UTC\n"
              "usage: quorvel_factor [VALUE]\n"
              "console variable: Controls how much the ball is slowed\n"
              "value \"0.5\", default \"1\"; a finite number\n"
              "game time 1.25 s\n"
              "game time 1.250001 s\n");
}

}  // namespace
}  // namespace quorvel_test
