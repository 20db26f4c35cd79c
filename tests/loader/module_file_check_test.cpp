// Files that are not complete modules: each is refused with the reason before the platform's loader
// is given it, so a cut-short module or a FIFO can neither crash nor stall the host.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "load_refusal.h"
#include "loader/loaded_plugin.h"
#include "loader/module_file_check.h"
#include "pluginsdk/world.h"

#ifdef _WIN32
#include "loader/pe_image_check.h"
#endif

namespace {

using quorvel_test::refusalOf;

std::vector<char> readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeWhole(const std::string& path, const char* bytes, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes, static_cast<std::streamsize>(size));
}

#ifdef _WIN32
host::ModuleImage imageOf(const std::vector<unsigned char>& bytes) {
    host::ModuleImage image;
    image.size = bytes.size();
    image.read = [&bytes](std::uint64_t offset, std::size_t count) {
        if (offset >= bytes.size()) {
            return std::vector<unsigned char>();
        }
        const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), offset + count));
        return std::vector<unsigned char>(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.begin() + end);
    };
    return image;
}

void put(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// The smallest PE32+ DLL header the check accepts: DOS header, NT headers at 0x40, an optional
// header of 240 bytes, one section whose 512 raw bytes sit at 0x200.
std::vector<unsigned char> minimalDll() {
    std::vector<unsigned char> bytes(0x400, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put(bytes, 0x3c, 0x40, 4);
    bytes[0x40] = 'P';
    bytes[0x41] = 'E';
    put(bytes, 0x44, 0x8664, 2);  // machine
    put(bytes, 0x46, 1, 2);       // sections
    put(bytes, 0x54, 240, 2);     // optional header size
    put(bytes, 0x56, 0x2022, 2);  // DLL, executable, large addresses
    put(bytes, 0x58, 0x20b, 2);   // PE32+
    put(bytes, 0x58 + 60, 0x200, 4);  // size of headers
    const std::size_t section = 0x58 + 240;
    std::copy_n(".text", 5, bytes.begin() + static_cast<std::ptrdiff_t>(section));
    put(bytes, section + 16, 0x200, 4);  // raw size
    put(bytes, section + 20, 0x200, 4);  // raw offset
    return bytes;
}
#endif

}  // namespace

TEST(CutShortModules, AreRefusedAtEveryCutWithTheReason) {
    const std::vector<char> whole = readWhole(QUORVEL_MODULE_PATH);
    ASSERT_GT(whole.size(), 100000u);
    const std::string path = ::testing::TempDir() + "cut_short" MODULE_SUFFIX;
    const auto world = pluginsdk::World::create();
    for (const std::size_t cut : {std::size_t{1}, std::size_t{20}, std::size_t{63}, std::size_t{64}, std::size_t{1000},
                                  std::size_t{1024}, std::size_t{4096}, std::size_t{20000}, std::size_t{65536},
                                  std::size_t{100000}}) {
        writeWhole(path, whole.data(), cut);
        const std::string message = refusalOf(path, world);
        EXPECT_EQ(message.rfind("cannot load '" + path + "': it ", 0), 0u) << "cut at " << cut << ": " << message;
    }
    // Every larger cut, in steps: refused, or (cut only in what the loader never maps) loaded.
    for (std::size_t cut = 100000; cut < whole.size(); cut += whole.size() / 64) {
        writeWhole(path, whole.data(), cut);
        const std::string message = refusalOf(path, world);
        EXPECT_TRUE(message.empty() || message.find("it is cut short") != std::string::npos)
            << "cut at " << cut << ": " << message;
    }
    std::remove(path.c_str());
    EXPECT_EQ(host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world)->name(), "Quorvel");
}

TEST(CutShortModules, TheWholeModulePassesTheCheck) {
    EXPECT_EQ(host::moduleFileProblem(QUORVEL_MODULE_PATH), std::nullopt);
}

TEST(NonRegularFiles, ADirectoryIsRefused) {
    const std::string path = ::testing::TempDir() + "directory" MODULE_SUFFIX;
    std::filesystem::create_directories(path);
    EXPECT_EQ(host::moduleFileProblem(path), "it is not a regular file but a directory");
    std::filesystem::remove(path);
}

#ifndef _WIN32
TEST(NonRegularFiles, AFifoIsRefusedWithoutWaitingOnIt) {
    const std::string path = ::testing::TempDir() + "fifo" MODULE_SUFFIX;
    std::remove(path.c_str());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const auto world = pluginsdk::World::create();
    EXPECT_EQ(refusalOf(path, world), "cannot load '" + path + "': it is not a regular file but a FIFO");
    std::remove(path.c_str());
}
#endif

// The PE check reads <windows.h>'s structures, so it is built, and tested, for Windows only.
#ifdef _WIN32
TEST(PeImageCheck, AcceptsACompleteDllAndRefusesEachPartCutOrWrong) {
    const std::vector<unsigned char> dll = minimalDll();
    EXPECT_EQ(host::peImageProblem(imageOf(dll)), std::nullopt);

    for (const std::size_t cut : {std::size_t{1}, std::size_t{40}, std::size_t{0x50}, std::size_t{0x100},
                                  std::size_t{0x1a0}, std::size_t{0x3ff}}) {
        const std::vector<unsigned char> shorter(dll.begin(), dll.begin() + static_cast<std::ptrdiff_t>(cut));
        const auto problem = host::peImageProblem(imageOf(shorter));
        ASSERT_TRUE(problem) << "cut at " << cut;
        if (cut >= 2) {
            EXPECT_NE(problem->find("it is cut short"), std::string::npos) << *problem;
        }
    }
    std::vector<unsigned char> farSection = dll;
    put(farSection, 0x58 + 240 + 20, 0xffffff00u, 4);
    EXPECT_EQ(host::peImageProblem(imageOf(farSection)),
              "it is cut short: its section 0 (.text) ends at byte 4294967552, but the file has 1024 bytes");
    std::vector<unsigned char> executable = dll;
    put(executable, 0x56, 0x0022, 2);
    EXPECT_EQ(host::peImageProblem(imageOf(executable)), "it is not a DLL (its file header lacks the DLL flag)");
    std::vector<unsigned char> notPe = dll;
    notPe[0x41] = 'X';
    EXPECT_EQ(host::peImageProblem(imageOf(notPe)), "it is not a module: its NT headers lack the PE signature");
}
#endif
