// A module opened at run time: the one place that knows how the platform opens modules, finds
// their exports and closes them. A handle is moved, never copied, and closing happens exactly once,
// when its last holder lets go.
#pragma once

#include <string>
#include <utility>

namespace host {

class DynamicLibrary {
public:
    // Opens the module at `path`. On failure the library is closed and `error` says why, in the
    // platform loader's words.
    static DynamicLibrary open(const std::string& path, std::string& error);

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
    // Points the module's own import of the C function `name` at `replacement`. Returns how many
    // import slots were changed (0 if the module does not import it).
    int redirectImport(const char* name, void* replacement);
    // Closes the module; the module runs its static clean-up here. Nothing of it may be used after.
    void close();

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

}  // namespace host
