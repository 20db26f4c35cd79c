// Files the host keeps, on POSIX systems: whole-file writes (mkstemp beside the target, write,
// fsync, close, rename) and the XDG base folders.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files.h"
#include "host_error.h"

namespace host {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void fail(const std::string& path, int error) {
    throw HostError("cannot write " + path + ": " + std::strerror(error));
}

// Writes everything, going on after short writes and interruptions. False with errno set.
bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = EIO;  // a device that takes nothing and reports no error
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes into what is at `path` as it is: a device, a pipe or a socket is not a file to replace.
// A pipe nobody reads is refused at once (ENXIO) rather than waited on.
void writeInto(const std::string& located, const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(located.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        fail(path, errno);
    }
    // Opened; from here a reader that is slow is waited for, as by any writer.
    const int flags = ::fcntl(descriptor, F_GETFL);
    const bool blocking = flags >= 0 && ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
    const bool written = blocking && writeAll(descriptor, bytes);
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        fail(path, !written ? writeError : closeError);
    }
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string located = fromStartingDirectory(path);
    struct stat target {};
    if (::stat(located.c_str(), &target) == 0) {
        // Refused up front: rename() would replace an empty directory with the file on some systems.
        if (S_ISDIR(target.st_mode)) {
            fail(path, EISDIR);
        }
        // Renamed over, a device would be gone (as root, /dev/full or /dev/null itself).
        if (!S_ISREG(target.st_mode)) {
            writeInto(located, path, bytes);
            return;
        }
    }
    const std::string folder = folderOf(located);
    std::string temporary = (folder == "/" ? std::string() : folder) + "/.quorvel-write-XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        fail(path, errno);
    }
    // Past the file-size limit write() fails with EFBIG only while SIGXFSZ is ignored; the program
    // ignores it at start-up (process.h).
    const bool written = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        fail(path, !written ? writeError : closeError);
    }
    // mkstemp makes the file private (0600); give it the mode a newly created file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temporary.c_str(), 0666 & ~mask);
    if (::rename(temporary.c_str(), located.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        fail(path, renameError);
    }
    // Make the rename itself durable; a folder that cannot be synced still holds the whole file.
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
}

namespace {

// An XDG base folder: the variable if it holds an absolute path (relative ones are to be ignored),
// else the fallback under $HOME.
std::optional<std::string> baseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::string(value);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    return std::string(home) + "/" + underHome;
}

std::optional<std::string> inFolder(std::optional<std::string> folder, const char* name) {
    if (!folder) {
        return std::nullopt;
    }
    return *folder + "/quorvel/" + name;
}

}  // namespace

std::optional<std::string> defaultSettingsPath() {
    return inFolder(baseFolder("XDG_CONFIG_HOME", ".config"), "host.cfg");
}

std::optional<std::string> defaultHistoryPath() {
    return inFolder(baseFolder("XDG_STATE_HOME", ".local/state"), "history");
}

FileLock::FileLock(const std::string& path)
    : handle_(::open(fromStartingDirectory(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (handle_ < 0) {
        fail("the lock file " + path, errno);
    }
    while (::flock(static_cast<int>(handle_), LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(static_cast<int>(handle_));
            throw HostError("cannot lock " + path + ": " + std::strerror(error));
        }
    }
}

FileLock::~FileLock() {
    // Closing lets go of the lock.
    ::close(static_cast<int>(handle_));
}

std::string makePrivateFolder(const std::string& parent, const std::string& prefix) {
    // mkdtemp makes the folder the user's alone (0700).
    std::string folder = fromStartingDirectory(parent) + "/" + prefix + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        throw HostError("cannot make a folder in '" + parent + "': " + std::strerror(errno));
    }
    return folder;
}

}  // namespace host
