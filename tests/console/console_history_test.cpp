// The console's history file: kept across sessions, bounded, and written whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/console_history.h"
#include "scratch_folder.h"
#include "whole_file.h"

TEST(ConsoleHistory, LinesComeBackInOrderAcrossSessions) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("state/quorvel/history");
    std::vector<std::string> lines;
    ASSERT_FALSE(host::readHistory(path, lines));
    EXPECT_TRUE(lines.empty());
    ASSERT_FALSE(host::writeHistory(path, {"load", "quorvel_factor 0.5", "", "echo\x1b[2Jbell", "touch 1"}));
    ASSERT_FALSE(host::readHistory(path, lines));
    // Empty lines and lines with control characters (terminal escapes) are not kept.
    EXPECT_EQ(lines, (std::vector<std::string>{"load", "quorvel_factor 0.5", "touch 1"}));
}

TEST(ConsoleHistory, OnlyTheLatestLinesAreKept) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("history");
    std::vector<std::string> many;
    for (std::size_t i = 0; i < host::kHistoryLines + 10; ++i) {
        many.push_back("echo " + std::to_string(i));
    }
    ASSERT_FALSE(host::writeHistory(path, many));
    std::vector<std::string> lines;
    ASSERT_FALSE(host::readHistory(path, lines));
    ASSERT_EQ(lines.size(), host::kHistoryLines);
    EXPECT_EQ(lines.front(), "echo 10");
    EXPECT_EQ(lines.back(), "echo " + std::to_string(host::kHistoryLines + 9));

    // A longer file written by hand is read to its last lines too.
    quorvel_test::writeWholeFile(path, quorvel_test::readWholeFile(path) + "echo extra\r\n");
    ASSERT_FALSE(host::readHistory(path, lines));
    ASSERT_EQ(lines.size(), host::kHistoryLines);
    EXPECT_EQ(lines.back(), "echo extra");
}

TEST(ConsoleHistory, ProblemsAreReportedAndLeaveThingsAsTheyWere) {
    quorvel_test::ScratchFolder folder;
    std::filesystem::create_directory(folder.file("a-folder"));
    std::vector<std::string> lines{"stale"};
    const auto unreadable = host::readHistory(folder.file("a-folder"), lines);
    ASSERT_TRUE(unreadable);
    EXPECT_NE(unreadable->find("not a regular file"), std::string::npos) << *unreadable;
    EXPECT_TRUE(lines.empty());

    quorvel_test::writeWholeFile(folder.file("a-file"), "");
    const auto unwritable = host::writeHistory(folder.file("a-file/history"), {"load"});
    ASSERT_TRUE(unwritable);
    EXPECT_NE(unwritable->find("cannot create the folder"), std::string::npos) << *unwritable;
}
