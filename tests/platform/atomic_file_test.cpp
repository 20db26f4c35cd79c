// Whole-file writes: the new bytes or the old file, never a mix, never a stray temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>

#include <thread>

#include "file_size_limit.h"
#endif

#include "platform/files.h"
#include "whole_file.h"

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::path(::testing::TempDir()) / (std::string("atomic_file_") + test->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Everything in the folder but `expected`: a failed write must leave no temporary file behind.
    std::size_t strayFiles(const fs::path& expected) const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            count += entry.path() != expected ? 1 : 0;
        }
        return count;
    }

    // The message for a refused write; empty if it was not refused.
    static std::string refusal(const fs::path& path, const std::string& bytes) {
        try {
            host::writeFileAtomically(path.string(), bytes);
        } catch (const host::HostError& error) {
            return error.what();
        }
        return {};
    }

    fs::path folder;
};

TEST_F(AtomicFile, CreatesAndReplacesFilesWhole) {
    const fs::path target = folder / "picture.png";
    host::writeFileAtomically(target.string(), "first");
    EXPECT_EQ(quorvel_test::readWholeFile(target), "first");
    const std::string large(300000, 'x');
    host::writeFileAtomically(target.string(), large);
    EXPECT_EQ(quorvel_test::readWholeFile(target), large);
    host::writeFileAtomically(target.string(), "");
    EXPECT_EQ(quorvel_test::readWholeFile(target), "");
    EXPECT_EQ(strayFiles(target), 0u);
}

TEST_F(AtomicFile, RefusesAFolderInTheTargetsPlaceAndLeavesItAsItWas) {
    const fs::path target = folder / "taken";
    fs::create_directories(target);
    std::ofstream(target / "inside") << "kept";
    const std::string message = refusal(target, "new");
    EXPECT_EQ(message.rfind("cannot write " + target.string() + ": ", 0), 0u) << message;
    ASSERT_TRUE(fs::is_directory(target));
    EXPECT_EQ(quorvel_test::readWholeFile(target / "inside"), "kept");
    EXPECT_EQ(strayFiles(target), 0u);
}

TEST_F(AtomicFile, RefusesATargetInAMissingFolder) {
    const fs::path target = folder / "missing" / "picture.png";
    const std::string message = refusal(target, "new");
    EXPECT_EQ(message.rfind("cannot write " + target.string() + ": ", 0), 0u) << message;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(strayFiles(folder / "none"), 0u);
}

#ifndef _WIN32
// The file-size limit stands in for a full disk: it fails the write part-way, even as root.
TEST_F(AtomicFile, AWriteCutShortLeavesTheOldFileByteForByte) {
    const fs::path target = folder / "picture.png";
    const std::string old(3000, 'o');
    host::writeFileAtomically(target.string(), old);

    std::string message;
    {
        const quorvel_test::FileSizeLimit limit(4096);
        message = refusal(target, std::string(100000, 'n'));
    }

    EXPECT_EQ(message, "cannot write " + target.string() + ": File too large");
    EXPECT_EQ(quorvel_test::readWholeFile(target), old);
    EXPECT_EQ(strayFiles(target), 0u);
}

// A pipe (like a device) is written into, never replaced by a file; one nobody reads is refused
// rather than waited on for ever.
TEST_F(AtomicFile, APipeInTheTargetsPlaceIsWrittenIntoAndStaysAPipe) {
    const fs::path target = folder / "pipe";
    ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
    const std::string message = refusal(target, "nobody reads");
    EXPECT_EQ(message, "cannot write " + target.string() + ": No such device or address");

    std::string received;
    std::thread reader([&] { received = quorvel_test::readWholeFile(target); });
    // The reader may not have opened its end yet: the write is refused until it has.
    for (bool written = false; !written;) {
        try {
            host::writeFileAtomically(target.string(), "through the pipe");
            written = true;
        } catch (const host::HostError&) {
            std::this_thread::yield();
        }
    }
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(target));
    EXPECT_EQ(strayFiles(target), 0u);
}

TEST_F(AtomicFile, ANewFileGetsTheUsualPermissions) {
    const fs::path target = folder / "picture.png";
    const mode_t mask = ::umask(022);
    host::writeFileAtomically(target.string(), "bytes");
    ::umask(mask);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}
#endif

}  // namespace
