// Inputs the fuzzers found faults with, kept under regressions/ and replayed on every Linux build:
// a console input must run to its end, a module file must be refused with a reason that names it.
// A fault that comes back shows as a crash, a sanitizer report or a failed expectation here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console_text.h"
#include "module_bytes.h"
#include "scratch_folder.h"

namespace {

const std::filesystem::path regressions = QUORVEL_FUZZ_REGRESSIONS;

// The file names of the inputs kept in one folder, so a test is named after its file.
std::vector<std::string> keptInputs(const char* folder) {
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(regressions / folder)) {
        return names;  // nothing kept yet (git keeps no empty folder)
    }
    for (const auto& entry : std::filesystem::directory_iterator(regressions / folder)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ADD_FAILURE() << "cannot open " << path;
        return {};
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Test names from file names: letters, digits and '_' only.
std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
    return name;
}

class ConsoleInput : public testing::TestWithParam<std::string> {};

TEST_P(ConsoleInput, RunsToItsEnd) {
    const std::string text = contents(regressions / "console" / GetParam());
    fuzzing::runConsoleText(text, QUORVEL_MODULE_PATH);
}

class ModuleFile : public testing::TestWithParam<std::string> {};

TEST_P(ModuleFile, IsRefusedWithAReasonNamingTheFile) {
    const std::string bytes = contents(regressions / "module" / GetParam());
    const quorvel_test::ScratchFolder folder;
    const auto refusal = fuzzing::loadBytesAsModule(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                    bytes.size(), folder.path());
    ASSERT_TRUE(refusal.has_value()) << GetParam() << " loaded as a plug-in";
    EXPECT_THAT(*refusal, testing::HasSubstr(folder.path().string()));
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConsoleInput);
INSTANTIATE_TEST_SUITE_P(FuzzRegression, ConsoleInput, testing::ValuesIn(keptInputs("console")), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ModuleFile);
INSTANTIATE_TEST_SUITE_P(FuzzRegression, ModuleFile, testing::ValuesIn(keptInputs("module")), testName);

}  // namespace
