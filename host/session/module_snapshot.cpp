#include "module_snapshot.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "host_error.h"

namespace host {

std::unique_ptr<ModuleSnapshot> ModuleSnapshot::take(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        throw HostError("cannot copy the module '" + path + "' to load it: no folder for temporary files (" +
                           error.message() + ")");
    }
    std::random_device random;
    fs::path folder;
    for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
        const fs::path candidate = temporary / ("quorvel-module-" + std::to_string(random()));
        if (fs::create_directory(candidate, error)) {
            folder = candidate;
        }
    }
    if (folder.empty()) {
        throw HostError("cannot copy the module '" + path + "' to load it: cannot create a folder in '" +
                           temporary.string() + "'" + (error ? " (" + error.message() + ")" : ""));
    }
    const fs::path copy = folder / fs::path(path).filename();
    if (!fs::copy_file(path, copy, error)) {
        const std::string why = error.message();
        fs::remove_all(folder, error);
        throw HostError("cannot copy the module '" + path + "' to load it: " + why);
    }
    return std::unique_ptr<ModuleSnapshot>(new ModuleSnapshot(folder.string(), copy.string()));
}

ModuleSnapshot::~ModuleSnapshot() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace host
