// The C runtime clock a module reads is its own world's: fixed in one world, it stays real in
// another and outside any plug-in call.
#include <gtest/gtest.h>

#include "pluginsdk/plugin_call.h"
#include "pluginsdk/world.h"

namespace quorvel_test {
namespace {

TEST(RuntimeClock, IsTheClockOfTheWorldWhosePluginCalls) {
    const auto fixed = pluginsdk::World::create();
    const auto real = pluginsdk::World::create();
    fixed->setRuntimeClock(1234);
    const std::time_t before = pluginsdk::pluginsdkModuleTime(nullptr);
    {
        const pluginsdk::PluginCallScope call({fixed.get(), 1, "Quorvel", pluginsdk::EntryPoint::OnLoad});
        std::time_t stored = 0;
        EXPECT_EQ(pluginsdk::pluginsdkModuleTime(&stored), 1234);
        EXPECT_EQ(stored, 1234);
        {
            const pluginsdk::PluginCallScope inner({real.get(), 2, "Other", pluginsdk::EntryPoint::Hook});
            EXPECT_GE(pluginsdk::pluginsdkModuleTime(nullptr), before);
        }
        EXPECT_EQ(pluginsdk::pluginsdkModuleTime(nullptr), 1234);
    }
    EXPECT_GE(pluginsdk::pluginsdkModuleTime(nullptr), before);
    EXPECT_EQ(pluginsdk::currentPluginCall(), nullptr);
    fixed->setRuntimeClock(std::nullopt);
    const pluginsdk::PluginCallScope call({fixed.get(), 1, "Quorvel", pluginsdk::EntryPoint::Timer});
    EXPECT_GE(pluginsdk::pluginsdkModuleTime(nullptr), before);
}

}  // namespace
}  // namespace quorvel_test
