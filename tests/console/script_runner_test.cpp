// The console and scripts as a pipeline sees them: exit statuses, output that cannot be written,
// lines that must not reach the interpreter whole.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "console/command_interpreter.h"
#include "console/line_reader.h"
#include "console/script_runner.h"
#include "session/host_session.h"

namespace {

// Output that takes `room` bytes and then fails, as a full disk does.
class FullBuffer : public std::streambuf {
public:
    explicit FullBuffer(std::size_t room) : room_(room) {}
    std::string written;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (written.size() == room_) {
            return traits_type::eof();
        }
        written.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t room_;
};

class ScriptRunner : public ::testing::Test {
protected:
    int console(const std::string& input, bool interactive) {
        std::istringstream in(input);
        return host::runConsole(interpreter, in, out, errors, interactive);
    }

    std::ostringstream out;
    std::ostringstream errors;
    host::HostSession session{QUORVEL_MODULE_PATH, out};
    host::CommandInterpreter interpreter{session};
};

TEST_F(ScriptRunner, TheConsoleReportsAFailedCommandInItsStatusUnlessAPersonTypedIt) {
    EXPECT_EQ(console("echo a\necho b\n", false), 0);
    EXPECT_EQ(console("echo a\nnonsense\necho b\n", false), 1);
    EXPECT_NE(out.str().find("b\n"), std::string::npos) << "the console goes on after an error";
    EXPECT_EQ(console("echo a\nnonsense\necho b\n", true), 0);
}

TEST_F(ScriptRunner, AnOverlongLineIsRefusedAndTheConsoleGoesOn) {
    const std::string input = "echo " + std::string(host::kLongestConsoleLine, 'x') + "\necho after\n";
    EXPECT_EQ(console(input, false), 1);
    EXPECT_EQ(out.str(), "after\n");
    EXPECT_NE(errors.str().find("<console>:1: error: the line is longer than 1048576 bytes"), std::string::npos)
        << errors.str();
    // Lines that do not come from a reader are held to the same limit.
    EXPECT_THROW(interpreter.execute(std::string(host::kLongestConsoleLine + 1, ' ')), host::HostError);
}

TEST(ScriptRunnerOutput, OutputThatCannotBeWrittenStopsTheConsoleWithStatusOne) {
    FullBuffer full(8);
    std::ostream fullOut(&full);
    std::ostringstream errors;
    host::HostSession session(QUORVEL_MODULE_PATH, fullOut);
    host::CommandInterpreter interpreter(session);
    std::istringstream in("echo first\necho second\necho third\n");
    EXPECT_EQ(host::runConsole(interpreter, in, fullOut, errors, false), 1);
    EXPECT_EQ(full.written, "first\nse");
    EXPECT_NE(errors.str().find("cannot write the output"), std::string::npos) << errors.str();
    // Stopped at the line whose output was lost: the third never ran.
    EXPECT_EQ(in.peek(), 'e');
}

TEST_F(ScriptRunner, ControlCharactersAndNulInABadCommandAreEscaped) {
    using namespace std::string_literals;
    EXPECT_EQ(console("bad\0\x1b[2J name\n"s, false), 1);
    EXPECT_NE(errors.str().find(R"(unknown command or console variable "bad\x00\x1b[2J")"), std::string::npos)
        << errors.str();
    // A refused value keeps what follows its NUL.
    EXPECT_EQ(console("load\nquorvel_factor 1\0.5 tail\n"s, false), 1);
    EXPECT_NE(errors.str().find(R"(not "1\x00.5 tail")"), std::string::npos) << errors.str();
}

}  // namespace
