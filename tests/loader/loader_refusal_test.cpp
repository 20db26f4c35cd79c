// Files the loader must refuse that are not modules at all: each refusal names the file, leaves
// nothing loaded, and the host goes on. (The modules with a defect are hostile_module_test.cpp's.)
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "load_refusal.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"

namespace {

using quorvel_test::refusalOf;

}  // namespace

TEST(LoaderRefusalOfFiles, AMissingFileIsNamedAndTheHostGoesOn) {
    const std::string path = FAKE_MODULE_DIR "/no_such_module" MODULE_SUFFIX;
    const auto world = pluginsdk::World::create();
    const std::string message = refusalOf(path, world);
    EXPECT_EQ(message.rfind("cannot load '" + path + "': ", 0), 0u) << message;
    EXPECT_EQ(host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world)->name(), "Quorvel");
}

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
