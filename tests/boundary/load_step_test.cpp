// What loading the module does to the host: the order of its calls, the settings it registers and
// how the clock seeds its random deflections.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "loader/loaded_plugin.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "pluginsdk/world.h"

namespace {

class LoadStep : public ::testing::Test {
protected:
    void TearDown() override {
        plugin.reset();
    }

    void load() { plugin = host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world); }

    void set(const std::string& name, const std::string& value) {
        const auto variable = world->findVariable(name);
        ASSERT_TRUE(variable) << name;
        ASSERT_FALSE(pluginsdk::setVariableText(*variable, value));
    }

    // The velocity an orange touch leaves the ball with, once its timer has fired.
    Vector orangeTouch(Vector velocity) {
        world->ensureBall();
        world->touchBall(1, velocity);
        world->advanceClock(0.01);
        return world->ball()->velocity;
    }

    std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
    std::unique_ptr<host::LoadedPlugin> plugin;
};

}  // namespace

TEST_F(LoadStep, HooksTheTouchBeforeRegisteringTheFourSettings) {
    std::vector<std::string> calls;
    world->setTraceListener([&calls](const pluginsdk::SdkCall& call) { calls.push_back(pluginsdk::describe(call)); });
    load();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "hook post \"Function TAGame.Ball_TA.OnCarTouch\"",
                         "registerCvar quorvel_enabled_blue \"0\"",
                         "registerCvar quorvel_enabled_orange \"0\"",
                         "registerCvar quorvel_factor \"1\"",
                         "registerCvar quorvel_trajectory \"0\"",
                     }));
    EXPECT_EQ(world->hookCount(plugin->id()), 1u);
}

TEST_F(LoadStep, RegistersTheSettingsWithTheirDefaultsAndDescriptions) {
    load();
    struct Expected {
        const char* name;
        const char* value;
        const char* description;
    };
    const Expected expected[] = {
        {"quorvel_enabled_blue", "0", "Controls if the plugin affects the blue team"},
        {"quorvel_enabled_orange", "0", "Controls if the plugin affects the orange team"},
        {"quorvel_factor", "1", "Controls how much the ball is slowed"},
        {"quorvel_trajectory", "0", "Controls how much the ball deflects"},
    };
    ASSERT_EQ(world->variables().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& variable = *world->variables()[i];
        EXPECT_EQ(variable.name, expected[i].name);
        EXPECT_EQ(variable.value, expected[i].value) << variable.name;
        EXPECT_EQ(variable.defaultValue, expected[i].value) << variable.name;
        EXPECT_EQ(variable.description, expected[i].description) << variable.name;
        EXPECT_TRUE(variable.numeric) << variable.name;
        EXPECT_FALSE(variable.hasMin || variable.hasMax) << variable.name << " has no range of its own";
    }
}

TEST_F(LoadStep, PublishesTheManagerModuleWide) {
    load();
    // The host's own reference, the object's member and the module-wide reference. (The host keeps
    // its own so that a timer's game handle lives as long as the plug-in, whatever it does.)
    EXPECT_EQ(plugin->plugin().cvarManagerShared.use_count(), 3);
    EXPECT_EQ(plugin->plugin().gameWrapperShared.use_count(), 2);
}

TEST_F(LoadStep, SeedsTheDeflectionsFromTheFixedClock) {
    world->setRuntimeClock(1);
    load();
    set("quorvel_enabled_orange", "1");
    set("quorvel_trajectory", "10");
    set("quorvel_factor", "0.5");
    const Vector slowed = orangeTouch({1000.0f, -500.0f, 200.0f});
    EXPECT_EQ(slowed, (Vector{470.5f, -191.5f, 97.0f}));
}

TEST_F(LoadStep, TheSameSecondGivesTheSameDeflectionsAndAnotherSecondOthers) {
    const auto deflections = [this](std::int64_t seconds) {
        world->setRuntimeClock(seconds);
        load();
        set("quorvel_enabled_orange", "1");
        set("quorvel_trajectory", "50");
        std::vector<Vector> seen;
        for (int i = 0; i < 4; ++i) {
            seen.push_back(orangeTouch({1000.0f, -500.0f, 200.0f}));
        }
        plugin.reset();
        return seen;
    };
    const auto first = deflections(1700000000);
    EXPECT_EQ(deflections(1700000000), first);
    EXPECT_NE(deflections(1700000001), first);
}

TEST_F(LoadStep, AReloadKeepsValuesTheHostAlreadyHolds) {
    load();
    set("quorvel_factor", "0.25");
    set("quorvel_enabled_blue", "1");
    plugin.reset();
    load();
    EXPECT_EQ(world->findVariable("quorvel_factor")->value, "0.25");
    EXPECT_EQ(world->findVariable("quorvel_enabled_blue")->value, "1");
}

TEST_F(LoadStep, UnloadDropsTheHookAndLeavesNoHandleBehind) {
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    load();
    const pluginsdk::PluginId id = plugin->id();
    set("quorvel_enabled_blue", "1");
    world->ensureBall();
    world->touchBall(0, Vector{1.0f, 2.0f, 3.0f});  // leaves a timer pending
    EXPECT_EQ(world->pendingTimerCount(id), 1u);
    plugin.reset();
    EXPECT_EQ(world->hookCount(id), 0u);
    EXPECT_EQ(world->pendingTimerCount(id), 0u);
    world->advanceClock(1.0);  // nothing left to fire into an unloaded module
    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
}
