#include <cstdlib>

#include "user_folders.h"

namespace host {
namespace {

// An XDG base folder: the variable if it holds an absolute path (relative ones are to be ignored),
// else the fallback under $HOME.
std::optional<std::string> baseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::string(value);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    return std::string(home) + "/" + underHome;
}

std::optional<std::string> inFolder(std::optional<std::string> folder, const char* name) {
    if (!folder) {
        return std::nullopt;
    }
    return *folder + "/quorvel/" + name;
}

}  // namespace

std::optional<std::string> defaultSettingsPath() {
    return inFolder(baseFolder("XDG_CONFIG_HOME", ".config"), "host.cfg");
}

std::optional<std::string> defaultHistoryPath() {
    return inFolder(baseFolder("XDG_STATE_HOME", ".local/state"), "history");
}

}  // namespace host
