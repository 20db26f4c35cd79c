// A module opened at run time: the one place that knows how the platform opens modules, finds
// their exports and closes them. A handle is moved, never copied, and closing happens exactly once,
// when its last holder lets go.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <utility>

namespace host {

class DynamicLibrary {
public:
    // Opens the module at `path`. On failure the library is closed and `error` says why, in the
    // platform loader's words. On Windows the DLLs it needs are also looked for in
    // `dependencyFolder` (where a module opened from a copy came from); elsewhere a module names
    // its own search path.
    static DynamicLibrary open(const std::string& path, std::string& error, const std::string& dependencyFolder = {});

    DynamicLibrary() = default;
    DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary() { close(); }

    bool isOpen() const { return handle_ != nullptr; }
    // The address of the exported symbol `name`, or null.
    void* symbol(const char* name) const;
    // Whether `address` lies in this module's own image (not in a library it brought in).
    bool contains(const void* address) const;
    // Where the module's own image lies, [first, second); {0, 0} if it is not open.
    std::pair<std::uintptr_t, std::uintptr_t> imageRange() const;
    // Points the module's own import of the C function `name` at `replacement`. Returns how many
    // import slots were changed (0 if the module does not import it).
    int redirectImport(const char* name, void* replacement);
    // Closes the module; the module runs its static clean-up here. Nothing of it may be used after.
    void close();

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

// [any thread] Whether the module opened from `path` is still in the process once every handle to it
// is closed: nothing if it is gone; else what its image shows keeps it (a GNU unique symbol,
// thread-local objects with destructors), which may be nothing it shows (a thread of its own still
// running in it, a handle it opened on itself). Windows tells no reasons.
std::optional<std::vector<std::string>> whyStillMapped(const std::string& path);

// A module file that cannot change between the host's check of it and the platform loader's
// opening of it, and for as long as it is loaded: a private copy in a folder of the host's own, so
// that a build may write over the file meanwhile.
class PinnedModuleFile {
public:
    // Throws HostError ("cannot copy it to load it: REASON") without naming the file: the caller
    // does.
    explicit PinnedModuleFile(const std::string& path);
    PinnedModuleFile(PinnedModuleFile&& other) noexcept;
    PinnedModuleFile& operator=(PinnedModuleFile&& other) noexcept;
    PinnedModuleFile(const PinnedModuleFile&) = delete;
    PinnedModuleFile& operator=(const PinnedModuleFile&) = delete;
    ~PinnedModuleFile();  // removes the copy

    // The file to check and open.
    const std::string& path() const { return path_; }

private:
    void release();
    std::string path_;
    std::string folder_;  // the copy's private folder
};

}  // namespace host
