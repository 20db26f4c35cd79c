#include <windows.h>

#include <algorithm>

#include "executable_location.h"

namespace host {

const char kPathSeparator = '\\';

std::string executableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A zero length is failure; a full buffer means the path was cut short.
    if (length == 0 || length == sizeof path) {
        return ".";
    }
    // Windows accepts either separator, and a program started by a path with forward slashes may
    // be told its own name that way; the host prints backslashes only.
    std::string executable(path, length);
    std::replace(executable.begin(), executable.end(), '/', '\\');
    const auto separator = executable.rfind('\\');
    return separator == std::string::npos ? "." : executable.substr(0, separator);
}

}  // namespace host
