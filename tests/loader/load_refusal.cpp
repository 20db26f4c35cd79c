#include "load_refusal.h"

#include "host_error.h"
#include "loader/loaded_plugin.h"

namespace quorvel_test {

std::string refusalOf(const std::string& path, const std::shared_ptr<pluginsdk::World>& world) {
    try {
        host::LoadedPlugin::load(path, world);
    } catch (const host::HostError& error) {
        return error.what();
    }
    return "";
}

}  // namespace quorvel_test
