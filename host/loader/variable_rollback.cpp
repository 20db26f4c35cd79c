#include "variable_rollback.h"

#include <algorithm>
#include <string>

namespace host {

VariableRollback::VariableRollback(const pluginsdk::World& world) {
    for (const auto& variable : world.variables()) {
        recorded_.emplace_back(variable, *variable);
    }
}

void VariableRollback::restore(pluginsdk::World& world) const {
    std::vector<std::string> created;
    for (const auto& variable : world.variables()) {
        const bool recorded = std::any_of(recorded_.begin(), recorded_.end(),
                                          [&variable](const auto& entry) { return entry.first == variable; });
        if (!recorded) {
            created.push_back(variable->name);
        }
    }
    for (const std::string& name : created) {
        world.removeVariable(name);
    }
    for (const auto& [variable, state] : recorded_) {
        *variable = state;
    }
}

}  // namespace host
