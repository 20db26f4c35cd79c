// A fresh, empty folder of one test's own under the system's temporary folder, removed with
// everything in it when the object goes. Tests that write files write them here and nowhere else.
#pragma once

#include <filesystem>
#include <string>

namespace quorvel_test {

class ScratchFolder {
public:
    // Throws std::filesystem::filesystem_error if no folder can be made.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder, as the host's commands take paths: as text.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace quorvel_test
