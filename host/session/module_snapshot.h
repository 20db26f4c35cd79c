// A private copy of the module file, for a host that reloads the module while it is being rebuilt.
//
// A loaded module's code is mapped from its file: a build or a copy that writes over that file in
// place would pull the code from under the running host (a bus error on Linux). Loading a private
// copy instead leaves the host untouched by whatever happens to the file, and the next reload takes
// a fresh copy.
//
// Threads: the host's thread. Lifetime: keep the snapshot until the module loaded from it has been
// unloaded; destroying it removes the copy and its folder.
#pragma once

#include <memory>
#include <string>

namespace host {

class ModuleSnapshot {
public:
    // Copies the file at `path` into a new private folder, under the same file name. Throws
    // HostError naming the file and the reason.
    static std::unique_ptr<ModuleSnapshot> take(const std::string& path);
    ~ModuleSnapshot();
    ModuleSnapshot(const ModuleSnapshot&) = delete;
    ModuleSnapshot& operator=(const ModuleSnapshot&) = delete;

    const std::string& path() const { return copy_; }

private:
    ModuleSnapshot(std::string folder, std::string copy) : folder_(std::move(folder)), copy_(std::move(copy)) {}
    std::string folder_;
    std::string copy_;
};

}  // namespace host
