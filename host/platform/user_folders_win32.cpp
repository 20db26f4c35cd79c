#include <cstdlib>

#include "user_folders.h"

namespace host {
namespace {

std::optional<std::string> inFolder(const char* variable, const char* name) {
    const char* folder = std::getenv(variable);
    if (folder == nullptr || folder[0] == '\0') {
        return std::nullopt;
    }
    return std::string(folder) + "\\quorvel\\" + name;
}

}  // namespace

std::optional<std::string> defaultSettingsPath() {
    return inFolder("APPDATA", "host.cfg");
}

std::optional<std::string> defaultHistoryPath() {
    return inFolder("LOCALAPPDATA", "history");
}

}  // namespace host
