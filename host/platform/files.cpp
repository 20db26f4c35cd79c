#include "files.h"

#include <filesystem>
#include <system_error>

namespace host {

std::optional<std::string> createFolders(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        return "cannot create the folder '" + path + "': " + error.message();
    }
    if (!std::filesystem::is_directory(path, error)) {
        return "cannot create the folder '" + path + "': a file of that name is in the way";
    }
    return std::nullopt;
}

}  // namespace host
