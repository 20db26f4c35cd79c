// What a module handle does the same way on every platform: it is moved, never copied, and closing
// happens exactly once, when its last holder lets go.
#include "dynamic_library.h"

#include <utility>

namespace host {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary() {
    close();
}

}  // namespace host
