#include <unistd.h>

#include <climits>

#include "executable_location.h"

namespace host {

const char kPathSeparator = '/';

std::string executableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string executable(path, static_cast<std::size_t>(length));
    const auto slash = executable.rfind('/');
    return slash == std::string::npos ? "." : executable.substr(0, slash);
}

}  // namespace host
