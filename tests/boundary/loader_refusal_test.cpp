// Files the loader must refuse: each refusal names the file and what is wrong, leaves nothing of the
// file loaded, and the host goes on to load a good module afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "load_refusal.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"

namespace {

using quorvel_test::refusalOf;

struct Refusal {
    std::string file;
    std::string reason;  // a part of the message
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.file;
}

class LoaderRefusal : public ::testing::TestWithParam<Refusal> {};

}  // namespace

TEST_P(LoaderRefusal, NamesTheFileAndTheProblemAndTheHostGoesOn) {
    const Refusal& refusal = GetParam();
    const auto world = pluginsdk::World::create();
    const std::string message = refusalOf(refusal.file, world);
    EXPECT_NE(message.find(refusal.file), std::string::npos) << message;
    EXPECT_NE(message.find(refusal.reason), std::string::npos) << message;
    EXPECT_TRUE(world->variables().empty());

    // The real module still loads into the same world.
    const auto plugin = host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world);
    EXPECT_EQ(plugin->name(), "Quorvel");
}

INSTANTIATE_TEST_SUITE_P(
    BrokenModules, LoaderRefusal,
    ::testing::Values(Refusal{FAKE_MODULE_DIR "/no_record" MODULE_SUFFIX, "exports no 'exports'"},
                      Refusal{FAKE_MODULE_DIR "/no_factory" MODULE_SUFFIX, "exports no 'getPlugin'"},
                      Refusal{FAKE_MODULE_DIR "/no_release" MODULE_SUFFIX, "exports no 'deleteMe'"},
                      Refusal{FAKE_MODULE_DIR "/no_class_name" MODULE_SUFFIX, "has no class name"},
                      Refusal{FAKE_MODULE_DIR "/foreign_factory" MODULE_SUFFIX, "create function"},
                      Refusal{FAKE_MODULE_DIR "/empty_factory" MODULE_SUFFIX, "could not be created"},
                      Refusal{FAKE_MODULE_DIR "/throwing_load" MODULE_SUFFIX, "onLoad threw: no settings for you"},
                      Refusal{FAKE_MODULE_DIR "/no_such_module" MODULE_SUFFIX, "no_such_module"}));

TEST(LoaderRefusalOfFiles, AFileThatIsNotAModule) {
    const std::string path = ::testing::TempDir() + "not_a_module" MODULE_SUFFIX;
    std::ofstream(path) << "just some text\n";
    const auto world = pluginsdk::World::create();
    const std::string message = refusalOf(path, world);
    EXPECT_EQ(message.rfind("cannot load '" + path + "': ", 0), 0u) << message;
    std::remove(path.c_str());
}

TEST(LoaderRefusalOfFiles, AThrowingLoadLeavesNoHookBehind) {
    const auto world = pluginsdk::World::create();
    std::vector<pluginsdk::SdkCall> calls;
    refusalOf(FAKE_MODULE_DIR "/throwing_load" MODULE_SUFFIX, world);
    world->setTraceListener([&calls](const pluginsdk::SdkCall& call) { calls.push_back(call); });
    world->ensureBall();
    world->touchBall(0, std::nullopt);
    EXPECT_TRUE(calls.empty());
}
