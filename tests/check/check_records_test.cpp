// The records a check's process leaves for the runner: read back as written, whatever the plug-in
// does to their number, and whatever the process's end cut short.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "check/check_records.h"
#include "scratch_folder.h"

namespace {

using host::check::CheckRecords;
using host::check::readRecords;
using pluginsdk::SdkCall;

SdkCall lookup(int number) {
    return SdkCall{.kind = SdkCall::Kind::GetCvar, .name = "variable_" + std::to_string(number)};
}

TEST(CheckRecords, ReadBackAsWritten) {
    const quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("unit.jsonl");
    {
        CheckRecords records(path);
        records.call(SdkCall{.kind = SdkCall::Kind::SetVelocity, .vector = {1.5f, -0.0f, INFINITY}});
        records.call(SdkCall{.kind = SdkCall::Kind::Log, .text = "not a call a report shows"});
        records.figure("cycles", 100);
        records.progress("cycles", 411, 1002);
        records.progress("cycles", 412, 1002);  // the last is what a report of a stopped check says
        records.call(SdkCall{.kind = SdkCall::Kind::RegisterCvar, .name = "fake\tname", .text = "\xff"});
        records.verdict("FAIL", "why, in \"words\"\nof two lines");
    }
    const auto read = readRecords(path);
    EXPECT_EQ(read.verdict, "FAIL");
    EXPECT_EQ(read.message, "why, in \"words\"\nof two lines");
    EXPECT_EQ(read.figures, (std::map<std::string, double>{{"cycles", 100.0}}));
    EXPECT_EQ(read.progress, "412 of 1002 cycles");
    ASSERT_EQ(read.lastCalls.size(), 2u);
    EXPECT_EQ(pluginsdk::describe(read.lastCalls[0]), "setVelocity (1.5, -0, inf)");
    // Text that is not UTF-8 arrives replaced, not lost with the record.
    EXPECT_EQ(pluginsdk::describe(read.lastCalls[1]), "registerCvar fake\tname \"\xef\xbf\xbd\"");
}

TEST(CheckRecords, ManyCallsKeepTheFileSmallAndTheLastCalls) {
    const quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("unit.jsonl");
    {
        CheckRecords records(path);
        records.figure("before", 1);
        for (int i = 0; i < 100'000; ++i) {
            records.call(lookup(i));
        }
    }
    EXPECT_LT(std::filesystem::file_size(path), 1'000'000u);
    // A process ended in the middle of a line, and the fault watcher's record after it.
    std::ofstream(path, std::ios::app) << "{\"call\": \"getC"
                                       << "\n{\"fault\": \"crash\", \"message\": \"it crashed\", \"report\": \"R\"}\n"
                                       << "{\"call\": \"getCvar\", \"name\": \"after the fault\"}\n";
    const auto read = readRecords(path);
    ASSERT_TRUE(read.fault);
    EXPECT_FALSE(read.fault->hang);
    EXPECT_EQ(read.fault->message, "it crashed");
    EXPECT_EQ(read.figures.at("before"), 1.0);
    ASSERT_EQ(read.lastCalls.size(), 12u);
    EXPECT_EQ(read.lastCalls.front().name, "variable_99988");
    EXPECT_EQ(read.lastCalls.back().name, "variable_99999");
    EXPECT_FALSE(read.verdict);
}

}  // namespace
