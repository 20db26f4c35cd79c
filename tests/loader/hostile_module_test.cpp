// Modules whose entry points misbehave: each is refused, or unloaded completely, with a message that
// names the file; the world is left as it was and no callback of a closed module ever runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "load_refusal.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/world.h"

namespace {

using quorvel_test::refusalOf;

std::string fakeModule(const std::string& defect) {
    return FAKE_MODULE_DIR "/" + defect + MODULE_SUFFIX;
}

bool logged(const pluginsdk::World& world, const std::string& text) {
    const auto& lines = world.recentLogLines();
    return std::any_of(lines.begin(), lines.end(), [&text](const pluginsdk::LogLine& line) { return line.text == text; });
}

// Moves the clock and touches the ball, so any hook or timer left behind would run now.
void exerciseCallbacks(pluginsdk::World& world) {
    world.ensureBall();
    world.touchBall(1, Vector{1.0f, 2.0f, 3.0f});
    world.advanceClock(10.0);
}

// What the loader makes of a module of the table of hostile modules (tests/hostile_modules.cmake).
struct InTheLoader {
    const char* module;
    const char* outcome;  // "refused", "unload says" or "loads"
    const char* text;     // a part of the refusal, or what the unload says
};

void PrintTo(const InTheLoader& row, std::ostream* out) {
    *out << row.module;
}

constexpr InTheLoader kInTheLoader[] = {
#include "hostile_modules_in_the_loader.inc"
};

class HostileModuleInTheLoader : public ::testing::TestWithParam<InTheLoader> {};

}  // namespace

TEST_P(HostileModuleInTheLoader, IsRefusedOrUnloadsLeavingNothingAndTheHostGoesOn) {
    const InTheLoader& row = GetParam();
    const auto world = pluginsdk::World::create();
    const std::string path = fakeModule(row.module);
    if (std::string_view(row.outcome) == "refused") {
        const std::string message = refusalOf(path, world);
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(row.text), std::string::npos) << message;
        EXPECT_TRUE(world->variables().empty());
    } else {
        auto plugin = host::LoadedPlugin::load(path, world);
        const pluginsdk::PluginId id = plugin->id();
        const std::vector<std::string> problems = plugin->unload();
        if (std::string_view(row.outcome) == "unload says") {
            EXPECT_EQ(problems, std::vector<std::string>{row.text});
        } else {
            EXPECT_TRUE(problems.empty()) << problems.front();
        }
        plugin.reset();
        EXPECT_EQ(world->hookCount(id), 0u);
        EXPECT_EQ(world->pendingTimerCount(id), 0u);
        const std::uint64_t logged = world->loggedLineCount();
        exerciseCallbacks(*world);  // a callback left behind would run code of the closed module here
        EXPECT_EQ(world->loggedLineCount(), logged);
    }
    EXPECT_EQ(host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world)->name(), "Quorvel");
}

INSTANTIATE_TEST_SUITE_P(Table, HostileModuleInTheLoader, ::testing::ValuesIn(kInTheLoader),
                         [](const ::testing::TestParamInfo<InTheLoader>& row) { return std::string(row.param.module); });

TEST(ThrowingEntryPoints, AThrowingStaticConstructorIsRefusedAndTheHostGoesOn) {
    const auto world = pluginsdk::World::create();
    const std::string path = fakeModule("throwing_static_init");
#ifdef _WIN32
    // The system's loader stops the exception and reports its code; what was thrown is lost.
    EXPECT_EQ(refusalOf(path, world).rfind("cannot load '" + path + "': its static set-up threw a C++ exception", 0),
              0u);
#else
    EXPECT_EQ(refusalOf(path, world), "cannot load '" + path + "': its static set-up threw: static set-up failed");
#endif
    EXPECT_EQ(host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world)->name(), "Quorvel");
}

#ifndef _WIN32
TEST(ThrowingEntryPoints, AVeryLongExceptionFromStaticSetUpIsReportedShortened) {
    const auto world = pluginsdk::World::create();
    const std::string path = fakeModule("long_static_init_throw");
    const std::string expected = "cannot load '" + path + "': its static set-up threw: " + std::string(1024, 'x');
    EXPECT_EQ(refusalOf(path, world), expected);
}
#endif

TEST(ThrowingEntryPoints, AThrowingReleaseStillUnloadsCompletelyAndSaysSo) {
    const auto world = pluginsdk::World::create();
    auto plugin = host::LoadedPlugin::load(fakeModule("throwing_release"), world);
    const pluginsdk::PluginId id = plugin->id();
    EXPECT_EQ(plugin->unload(), std::vector<std::string>{"the plug-in's deleteMe threw: not letting go"});
    EXPECT_TRUE(plugin->unload().empty()) << "a second unload does nothing";
    plugin.reset();
    EXPECT_EQ(world->hookCount(id), 0u);
    EXPECT_EQ(host::LoadedPlugin::load(fakeModule("throwing_release"), world)->name(), "FakePlugin")
        << "the module was closed and opens afresh";
}

TEST(RefusedLoad, LeavesTheWorldAsItWas) {
    const auto world = pluginsdk::World::create();
    auto existing = world->registerVariable("fake_existing", "5", "there first", false, 0, false, 0);
    ASSERT_FALSE(pluginsdk::setVariableText(*existing, "7"));
    const std::string path = fakeModule("messy_throwing_load");

    EXPECT_EQ(refusalOf(path, world), "cannot load '" + path + "': its onLoad threw: half set up");

    EXPECT_EQ(world->findVariable("fake_created"), nullptr) << "a variable the failed load created stays";
    ASSERT_EQ(world->variables().size(), 1u);
    EXPECT_EQ(world->findVariable("fake_existing"), existing);
    EXPECT_EQ(existing->value, "7");
    EXPECT_EQ(existing->number, 7.0f);
    EXPECT_EQ(existing->description, "there first");
    exerciseCallbacks(*world);
    EXPECT_FALSE(logged(*world, "hook"));
    EXPECT_FALSE(logged(*world, "timer"));
}

TEST(Unloading, CallsOnUnloadFirstWhileTheHandlesStillReachTheWorld) {
    const auto world = pluginsdk::World::create();
    auto plugin = host::LoadedPlugin::load(fakeModule("own_unload"), world);
    const pluginsdk::PluginId id = plugin->id();
    EXPECT_EQ(world->hookCount(id), 1u);
    EXPECT_TRUE(plugin->unload().empty());
    EXPECT_TRUE(logged(*world, "unloading, game reachable"));
    EXPECT_EQ(world->findVariable("fake_unloads")->value, "1");
    EXPECT_EQ(world->hookCount(id), 0u);
}

TEST(Unloading, NothingRegisteredFromDestructorsOrStaticCleanUpSurvives) {
    const auto world = pluginsdk::World::create();
    auto plugin = host::LoadedPlugin::load(fakeModule("late_registrations"), world);
    const pluginsdk::PluginId id = plugin->id();
    EXPECT_TRUE(plugin->unload().empty());
    plugin.reset();

    EXPECT_EQ(world->hookCount(id), 0u);
    EXPECT_EQ(world->pendingTimerCount(id), 0u);
    // The plug-in saw its game handle test false, in its destructor and in its static clean-up.
    EXPECT_EQ(world->findVariable("fake_late_seen")->value, "0");
    EXPECT_FALSE(logged(*world, "still reachable from destructor"));
    EXPECT_FALSE(logged(*world, "still reachable from static clean-up"));
    exerciseCallbacks(*world);  // a surviving callback would run code of the closed module here
    EXPECT_EQ(world->loggedLineCount(), 0u);
}

TEST(Unloading, ATimerKeepsItsGameHandleWhenThePluginLetsGoOfIt) {
    const auto world = pluginsdk::World::create();
    auto plugin = host::LoadedPlugin::load(fakeModule("dropped_game_handle"), world);
    world->advanceClock(1.0);
    EXPECT_TRUE(logged(*world, "fired with a live game handle"));
}

TEST(CutHandles, DoNothingAndTestFalse) {
    const auto world = pluginsdk::World::create();
    const auto scope = world->addPlugin("Cut");
    GameWrapper game(scope);
    CVarManagerWrapper console(scope);
    EXPECT_TRUE(game);
    EXPECT_TRUE(console);

    scope->cut = true;
    EXPECT_FALSE(game);
    EXPECT_FALSE(console);
    game.SetTimeout([](GameWrapper*) {}, 0.1f);
    game.HookEventWithCallerPost<BallWrapper>(pluginsdk::kCarTouchEvent, [](BallWrapper, void*, std::string) {});
    EXPECT_FALSE(console.registerCvar("cut_variable", "1", "", true, false, 0, false, 0, false));
    console.log("from a cut handle");
    EXPECT_EQ(world->pendingTimerCount(scope->id), 0u);
    EXPECT_EQ(world->hookCount(scope->id), 0u);
    EXPECT_TRUE(world->variables().empty());
    EXPECT_EQ(world->loggedLineCount(), 0u);
}

TEST(CutHandles, AHandleWhoseWorldIsGoneTestsFalse) {
    auto world = pluginsdk::World::create();
    GameWrapper game(world->addPlugin("Orphan"));
    world.reset();
    EXPECT_FALSE(game);
}
