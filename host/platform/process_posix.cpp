#include <unistd.h>

#include <climits>
#include <csignal>

#include "process.h"

namespace host {

const char kPathSeparator = '/';
const char* const kEndOfInputKeys = "Ctrl-D";

bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

void writeStandardStreamsVerbatim() {
    // POSIX streams never translate line ends.
}

void reportFailedWritesAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

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
