// Modules on POSIX systems: dlopen, dlsym, dlclose.
#include <dlfcn.h>

#include <utility>

#include "dynamic_library.h"

namespace host {

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string& error) {
    // A bare file name would send dlopen searching the library path; a module is always named by
    // its path, so make a relative one explicit.
    const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    void* handle = dlopen(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "the module could not be opened";
        return DynamicLibrary();
    }
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        dlclose(std::exchange(handle_, nullptr));
    }
}

}  // namespace host
