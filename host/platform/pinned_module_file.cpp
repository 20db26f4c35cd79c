// The module file, pinned: a private copy in a folder of the host's own, removed with the pin.
#include <filesystem>
#include <system_error>
#include <utility>

#include "dynamic_library.h"
#include "files.h"
#include "host_error.h"

namespace host {

PinnedModuleFile::PinnedModuleFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        throw HostError("cannot copy it to load it: there is no folder for temporary files (" + error.message() + ")");
    }
    try {
        // Nobody else can write the copy in a folder that is the host's alone.
        folder_ = makePrivateFolder(temporary.string(), "quorvel-module-");
    } catch (const HostError& cannot) {
        throw HostError(std::string("cannot copy it to load it: ") + cannot.what());
    }
    path_ = (fs::path(folder_) / fs::path(path).filename()).string();
    if (!fs::copy_file(fromStartingDirectory(path), path_, error)) {
        const std::string why = error.message();
        release();
        throw HostError("cannot copy it to load it: " + why);
    }
}

PinnedModuleFile::PinnedModuleFile(PinnedModuleFile&& other) noexcept
    : path_(std::move(other.path_)), folder_(std::exchange(other.folder_, {})) {}

PinnedModuleFile& PinnedModuleFile::operator=(PinnedModuleFile&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        folder_ = std::exchange(other.folder_, {});
    }
    return *this;
}

PinnedModuleFile::~PinnedModuleFile() {
    release();
}

void PinnedModuleFile::release() {
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::exchange(folder_, {}), ignored);
    }
}

}  // namespace host
