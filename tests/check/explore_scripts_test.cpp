// The scripts of `check --explore`: one seed, one session, read back as written; and shrinking
// keeps exactly what the failure needs, each number at its simplest.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "check/explore_scripts.h"
#include "scratch_folder.h"

namespace {

using namespace host::check;

TEST(ExploreScripts, OneSeedOneSessionReadBackAsWritten) {
    const ExploredPlugin plugin{{{"speed", true, 0.0f, 2.0f}, {"name", false}}, true};
    const SessionScript first = generateSession(plugin, 7, 3);
    EXPECT_EQ(first.lines, generateSession(plugin, 7, 3).lines);
    EXPECT_NE(first.lines, generateSession(plugin, 7, 4).lines);
    EXPECT_EQ(first.threads, host::ThreadMode::Separate);
    EXPECT_EQ(generateSession(plugin, 7, 4).threads, host::ThreadMode::One);
    const quorvel_test::ScratchFolder folder;
    std::ofstream(folder.file("s.scenario")) << scriptText(first, "about it") << "\n# a note\n";
    const SessionScript read = readScript(folder.file("s.scenario"));
    EXPECT_EQ(read.lines, first.lines);
    EXPECT_EQ(read.threads, first.threads);
}

TEST(ExploreScripts, ShrinkingKeepsWhatTheFailureNeeds) {
    SessionScript script;
    script.lines = {"clock 5", "ball 1 2 3", "load", "wait 0.5", "touch 1 2.5 -3e30 4", "velocity", "unload", "load"};
    int runs = 0;
    const auto needs = [&runs](const SessionScript& candidate) {
        ++runs;
        const auto has = [&candidate](const std::string& prefix) {
            return std::any_of(candidate.lines.begin(), candidate.lines.end(),
                               [&prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; });
        };
        return has("ball") && has("touch 1 ") && has("load");
    };
    const SessionScript smallest = shrinkScript(script, needs, std::chrono::steady_clock::time_point::max());
    EXPECT_EQ(smallest.lines, (std::vector<std::string>{"ball 0 0 0", "touch 1 0 0 0", "load"}));
    EXPECT_LT(runs, 40);
    EXPECT_EQ(shrinkScript(script, needs, std::chrono::steady_clock::time_point::min()).lines, script.lines);
}

}  // namespace
