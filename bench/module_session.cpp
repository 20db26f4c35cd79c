#include "module_session.h"

#include <optional>

#include "pluginsdk/console_variable.h"
#include "pluginsdk/world.h"

namespace quorvel_bench {
namespace {

void set(pluginsdk::World& world, const std::string& name, const std::string& value) {
    const auto variable = world.findVariable(name);
    if (!variable) {
        throw host::HostError("the module registered no '" + name + "'");
    }
    if (const auto refusal = pluginsdk::setVariableText(*variable, value)) {
        throw host::HostError(*refusal);
    }
}

}  // namespace

ModuleSession::ModuleSession(const std::string& modulePath) : session_(modulePath, out_) {
    session_.world().setRuntimeClock(1);
    session_.load();
    pluginsdk::World& world = session_.world();
    world.ensureBall();
    // The null plug-in registers nothing: it reads no setting, so there is nothing to set.
    if (world.findVariable("quorvel_enabled_orange")) {
        set(world, "quorvel_enabled_orange", "1");
        set(world, "quorvel_factor", "0.5");
        set(world, "quorvel_trajectory", "10");
    }
}

ModuleSession::~ModuleSession() {
    session_.unload();
}

void ModuleSession::touchAndFire() {
    pluginsdk::World& world = session_.world();
    world.touchBall(kOrange, kTouchVelocity);
    world.advanceClock(kPastTheDelay);
}

}  // namespace quorvel_bench
