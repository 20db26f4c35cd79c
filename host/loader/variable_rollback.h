// What a plug-in's failed load did to the console variables, undone.
//
// The host records the variables before it calls onLoad; if onLoad throws, restore() removes every
// variable created since and gives each earlier one back its value and settings. Variables live in
// the host and outlive a plug-in, so a refused load must not leave its half-made settings behind.
//
// Threads: the host's. Ownership: holds references to the recorded variables, not the world.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "../pluginsdk/world.h"

namespace host {

class VariableRollback {
public:
    explicit VariableRollback(const pluginsdk::World& world);
    // Puts the world's variables back as they were when this was made.
    void restore(pluginsdk::World& world) const;

private:
    std::vector<std::pair<std::shared_ptr<pluginsdk::detail::ConsoleVariable>, pluginsdk::detail::ConsoleVariable>>
        recorded_;
};

}  // namespace host
