#include "module_in_world.h"

#include <stdexcept>

#include "pluginsdk/number_text.h"

namespace quorvel_test {
namespace {
// A little more than the plug-in's delay of 0.01 (a float, widened), so every pending response fires.
constexpr double kPastTheDelay = 0.011;
}  // namespace

ModuleInWorld::ModuleInWorld(std::int64_t clock) : world_(pluginsdk::World::create()) {
    world_->ensureBall();
    reload(clock);
}

ModuleInWorld::~ModuleInWorld() {
    unload();
}

void ModuleInWorld::setNumber(const char* variable, float value) {
    const auto found = world_->findVariable(variable);
    if (!found) {
        throw std::logic_error(std::string("no console variable ") + variable);
    }
    found->number = value;
    found->value = pluginsdk::formatFloat(value);
}

void ModuleInWorld::touchAndFire(std::uint8_t team) {
    world_->touchBall(team, std::nullopt);
    fire();
}

void ModuleInWorld::fire() {
    world_->advanceClock(kPastTheDelay);
}

void ModuleInWorld::reload(std::int64_t clock) {
    unload();
    world_->setRuntimeClock(clock);
    plugin_ = host::LoadedPlugin::load(QUORVEL_MODULE_PATH, world_);
    pluginId_ = plugin_->id();
}

void ModuleInWorld::unload() {
    plugin_.reset();
}

}  // namespace quorvel_test
