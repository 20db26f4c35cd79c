// What the loader says when it refuses a module file, for tests that expect a refusal.
#pragma once

#include <memory>
#include <string>

namespace pluginsdk {
class World;
}

namespace quorvel_test {

// The message of the host::HostError that loading `path` into `world` threw; empty if the module
// loaded. A module that loads is kept loaded only for the call.
std::string refusalOf(const std::string& path, const std::shared_ptr<pluginsdk::World>& world);

}  // namespace quorvel_test
