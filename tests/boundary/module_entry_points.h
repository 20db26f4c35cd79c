// The module's entry points opened directly, without the host's loader, so a test can call them in
// any order and fill the plug-in's handles itself. Also handles whose destruction is recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"
#include "platform/dynamic_library.h"

namespace quorvel_test {

struct ModuleEntryPoints {
    host::DynamicLibrary library;
    PluginDescriptor* record = nullptr;
    PluginCreateFunction getPlugin = nullptr;
    PluginReleaseFunction deleteMe = nullptr;

    // Opens the built module; fails the test if it is not there.
    static ModuleEntryPoints open(const std::string& path = QUORVEL_MODULE_PATH) {
        ModuleEntryPoints module;
        std::string error;
        module.library = host::DynamicLibrary::open(path, error);
        EXPECT_TRUE(module.library.isOpen()) << error;
        module.record = static_cast<PluginDescriptor*>(module.library.symbol("exports"));
        module.getPlugin = reinterpret_cast<PluginCreateFunction>(module.library.symbol("getPlugin"));
        module.deleteMe = reinterpret_cast<PluginReleaseFunction>(module.library.symbol("deleteMe"));
        EXPECT_NE(module.record, nullptr);
        EXPECT_NE(module.getPlugin, nullptr);
        EXPECT_NE(module.deleteMe, nullptr);
        return module;
    }
};

// Host handles that write their name into `log` when their last owner lets go.
inline std::shared_ptr<CVarManagerWrapper> recordedManager(std::vector<std::string>& log) {
    return std::shared_ptr<CVarManagerWrapper>(new CVarManagerWrapper(nullptr), [&log](CVarManagerWrapper* manager) {
        log.push_back("manager");
        delete manager;
    });
}

inline std::shared_ptr<GameWrapper> recordedGame(std::vector<std::string>& log) {
    return std::shared_ptr<GameWrapper>(new GameWrapper(nullptr), [&log](GameWrapper* game) {
        log.push_back("game");
        delete game;
    });
}

}  // namespace quorvel_test
