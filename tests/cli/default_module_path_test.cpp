// The module the host loads when not told another: the one beside the program, named as the
// platform writes paths, since the host prints that path in its messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "platform/process.h"

namespace {

#ifdef _WIN32
constexpr char kNative = '\\';
constexpr char kForeign = '/';
#else
constexpr char kNative = '/';
constexpr char kForeign = '\\';
#endif

host::CommandLine parse(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream errors;
    const auto line = host::parseCommandLine(arguments, out, errors);
    EXPECT_TRUE(std::holds_alternative<host::CommandLine>(line)) << errors.str();
    return std::holds_alternative<host::CommandLine>(line) ? std::get<host::CommandLine>(line) : host::CommandLine{};
}

TEST(DefaultModulePath, NamesTheModuleBesideTheProgram) {
    // Test programs are built into the same folder as the host and the module.
    const std::string path = parse({"run", "script"}).modulePath;
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

TEST(DefaultModulePath, UsesOnlyThePlatformsSeparator) {
    const std::string path = parse({"console"}).modulePath;
    EXPECT_EQ(path.find(kForeign), std::string::npos) << path;
    const auto last = path.rfind(kNative);
    ASSERT_NE(last, std::string::npos) << path;
    EXPECT_EQ(path.substr(last + 1), host::kModuleFileName);
}

TEST(DefaultModulePath, AnExplicitModuleIsKeptAsGiven) {
    // A path the user typed is theirs: the host neither rewrites nor joins it.
    EXPECT_EQ(parse({"--module", "a/b\\Quorvel.dll", "console"}).modulePath, "a/b\\Quorvel.dll");
}

}  // namespace
