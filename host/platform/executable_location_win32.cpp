#include <windows.h>

#include "executable_location.h"

namespace host {

std::string executableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A zero length is failure; a full buffer means the path was cut short.
    if (length == 0 || length == sizeof path) {
        return ".";
    }
    const std::string executable(path, length);
    const auto separator = executable.find_last_of("\\/");
    return separator == std::string::npos ? "." : executable.substr(0, separator);
}

}  // namespace host
