// What the stand-in host's console variables accept, whoever writes them: the console, or a plug-in
// through its handle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bakkesmod/wrappers/cvar_wrapper.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/world.h"

using pluginsdk::setVariableText;

TEST(ConsoleVariable, ANumericVariableRefusesWhatIsNotWhollyAFiniteNumber) {
    auto variable = pluginsdk::makeVariable("quorvel_factor", "1", "", false, 0.0f, false, 0.0f);
    ASSERT_TRUE(variable.numeric);
    for (const char* text : {"fast", "1abc", "", " ", "inf", "-inf", "nan", "1e39"}) {
        const auto refused = setVariableText(variable, text);
        ASSERT_TRUE(refused) << '"' << text << "\" was taken";
        EXPECT_NE(refused->find("quorvel_factor"), std::string::npos) << *refused;
        EXPECT_NE(refused->find(std::string("\"") + text + "\""), std::string::npos) << *refused;
        EXPECT_EQ(variable.value, "1");
        EXPECT_EQ(variable.number, 1.0f);
    }
    EXPECT_FALSE(setVariableText(variable, "-2.5e3"));
    EXPECT_EQ(variable.value, "-2.5e3");
    EXPECT_EQ(variable.number, -2500.0f);
}

TEST(ConsoleVariable, ARegisteredRangeClampsWhatIsSet) {
    auto variable = pluginsdk::makeVariable("volume", "0.5", "", true, 0.0f, true, 1.0f);
    EXPECT_FALSE(setVariableText(variable, "7"));
    EXPECT_EQ(variable.number, 1.0f);
    EXPECT_EQ(variable.value, "1");
    EXPECT_FALSE(setVariableText(variable, "-0.25"));
    EXPECT_EQ(variable.value, "0");
    EXPECT_FALSE(setVariableText(variable, "0.75"));
    EXPECT_EQ(variable.value, "0.75");
}

TEST(ConsoleVariable, ATextVariableTakesAnyText) {
    auto variable = pluginsdk::makeVariable("greeting", "hello", "", false, 0.0f, false, 0.0f);
    EXPECT_FALSE(variable.numeric);
    EXPECT_FALSE(setVariableText(variable, "good morning"));
    EXPECT_EQ(variable.value, "good morning");
    EXPECT_EQ(variable.number, 0.0f);
}

TEST(ConsoleVariable, HandlesReadAndWriteThroughTheWorld) {
    const auto world = pluginsdk::World::create();
    CVarWrapper factor(world->registerVariable("quorvel_factor", "1", "", false, 0.0f, false, 0.0f));
    CVarWrapper enabled(world->registerVariable("quorvel_enabled_blue", "0", "", false, 0.0f, false, 0.0f));
    EXPECT_FALSE(enabled.getBoolValue());
    enabled.setValue(1);
    EXPECT_TRUE(enabled.getBoolValue());
    EXPECT_EQ(world->findVariable("quorvel_enabled_blue")->value, "1");

    // A float is written as the shortest text that reads back as the same float.
    factor.setValue(0.1f);
    EXPECT_EQ(world->findVariable("quorvel_factor")->value, "0.1");
    EXPECT_EQ(factor.getFloatValue(), 0.1f);
    factor.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(factor.getFloatValue(), 0.1f) << "a numeric variable keeps its value when refused";
    EXPECT_EQ(world->findVariable("quorvel_factor")->writes, 2u);

    // Registering an existing name keeps the variable and its value.
    world->registerVariable("quorvel_factor", "1", "another description", false, 0.0f, false, 0.0f);
    EXPECT_EQ(factor.getFloatValue(), 0.1f);

    // A removed variable's handles test false, read as nothing and ignore writes.
    EXPECT_TRUE(world->removeVariable("quorvel_factor"));
    EXPECT_FALSE(factor);
    factor.setValue(0.5f);
    EXPECT_EQ(factor.getFloatValue(), 0.0f);
    EXPECT_FALSE(world->findVariable("quorvel_factor"));
}
