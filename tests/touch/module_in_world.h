// The built Quorvel module loaded into a world of its own with a ball, for tests that drive the
// touch response the way the game does: set the settings, touch, let the game clock run.
//
// The module is a process-wide library: one ModuleInWorld at a time per process. Destroying it
// unloads the module and lets the runtime clock follow the real one again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"

namespace quorvel_test {

class ModuleInWorld {
public:
    // Loads the module with the C runtime clock fixed at `clock` (the module's random seed).
    explicit ModuleInWorld(std::int64_t clock);
    ~ModuleInWorld();
    ModuleInWorld(const ModuleInWorld&) = delete;
    ModuleInWorld& operator=(const ModuleInWorld&) = delete;

    pluginsdk::World& world() { return *world_; }
    pluginsdk::detail::BallState& ball() { return world_->ensureBall(); }
    bool loaded() const { return plugin_ != nullptr; }
    pluginsdk::PluginId pluginId() const { return pluginId_; }

    // Stores `value` in the variable as the host would hold it, infinities and NaN included (the
    // console refuses those, but the plug-in must cope with whatever the host holds).
    void setNumber(const char* variable, float value);

    // A car of `team` touches the ball; the game clock then runs past the response's delay.
    void touchAndFire(std::uint8_t team);
    // Moves the game clock just past the response's delay.
    void fire();

    void reload(std::int64_t clock);
    void unload();

private:
    std::shared_ptr<pluginsdk::World> world_;
    std::unique_ptr<host::LoadedPlugin> plugin_;
    pluginsdk::PluginId pluginId_ = 0;
};

}  // namespace quorvel_test
