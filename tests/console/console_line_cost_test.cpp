// Splitting a console line into words costs in proportion to its length, and running a line costs
// the console itself no memory: counted in allocations, which a split that copies the line per word
// would make by the million, and a script runner that builds each line's FILE:LINE by the line.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/command_interpreter.h"
#include "console/console_line.h"
#include "console/script_runner.h"
#include "counting_operator_new.h"
#include "scratch_folder.h"
#include "session/host_session.h"

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

// Lines whose world work needs no memory either (the ball exists, no plug-in is loaded): what is
// counted is the console's own share of a line.
const char* const kLinesWithoutWorldCost[] = {
    "ball 1000.0000 -500.00000 200.00000   # longer than a short string",
    "expect velocity 1000 -500 200",
    "wait 0.01",
    "   # a comment",
    "",
};

TEST(ConsoleLineCost, TheInterpreterRunsALineWithoutTheHeap) {
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out);
    host::CommandInterpreter interpreter(session);
    for (const char* line : kLinesWithoutWorldCost) {
        interpreter.execute(line);  // makes the ball
    }
    const std::uint64_t before = quorvel_test::heapAllocationsSoFar();
    for (int i = 0; i < 100; ++i) {
        for (const char* line : kLinesWithoutWorldCost) {
            interpreter.execute(line);
        }
    }
    EXPECT_EQ(quorvel_test::heapAllocationsSoFar() - before, 0u);
}

TEST(ConsoleLineCost, AScriptCostsNoMemoryPerLine) {
    // A name longer than a short string, as a FILE:LINE built for every line would be.
    const quorvel_test::ScratchFolder folder;
    const std::string file = folder.file("console_line_cost_script_with_a_long_name.txt");
    std::string script;
    for (const char* line : kLinesWithoutWorldCost) {
        script += line;
        script += '\n';
    }
    const auto cost = [&file, &script](int repeats) {
        {
            std::ofstream write(file, std::ios::binary | std::ios::trunc);
            for (int i = 0; i < repeats; ++i) {
                write << script;
            }
        }
        std::ostringstream out;
        std::ostringstream errors;
        host::HostSession session(QUORVEL_MODULE_PATH, out);
        host::CommandInterpreter interpreter(session);
        const std::vector<std::string> files{file};
        const std::uint64_t before = quorvel_test::heapAllocationsSoFar();
        EXPECT_EQ(host::runScripts(interpreter, files, out, errors), 0) << errors.str();
        return quorvel_test::heapAllocationsSoFar() - before;
    };
    // Opening the file and the first lines cost the same whatever the length of the script.
    EXPECT_EQ(cost(1000), cost(10));
}

}  // namespace
