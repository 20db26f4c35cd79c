// A folder of its own under the system's temporary folder, removed with everything in it when the
// object goes. The module fuzzer writes its files there and nowhere else.
#pragma once

#include <filesystem>

namespace fuzzing {

class ScratchFolder {
public:
    // Throws std::filesystem::filesystem_error if no folder can be made.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace fuzzing
