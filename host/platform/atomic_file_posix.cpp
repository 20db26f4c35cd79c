#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "atomic_file.h"

namespace host {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string failure(const std::string& what, const std::string& path, int error) {
    return "cannot " + what + " '" + path + "': " + std::strerror(error);
}

// Closes the descriptor and removes the temporary file unless the write got as far as the rename.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        if (!renamed) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

    int descriptor = -1;
    bool renamed = false;

private:
    std::string path_;
};

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view contents) {
    std::vector<char> name(path.begin(), path.end());
    const std::string suffix = ".tmp-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0) {
        return failure("create a temporary file beside", path, errno);
    }
    TemporaryFile temporary(name.data());
    temporary.descriptor = descriptor;
    // mkstemp makes the file private; a settings file is as readable as any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);

    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t step = ::write(descriptor, contents.data() + written, contents.size() - written);
        if (step < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failure("write", temporary.path(), errno);
        }
        written += static_cast<std::size_t>(step);
    }
    if (::fsync(descriptor) != 0) {
        return failure("flush to disk", temporary.path(), errno);
    }
    const int closed = ::close(descriptor);
    temporary.descriptor = -1;
    if (closed != 0) {
        return failure("close", temporary.path(), errno);
    }
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        return failure("replace", path, errno);
    }
    temporary.renamed = true;
    // The rename itself lives in the folder: flush the folder too, so it survives a power cut.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

std::optional<std::string> createFolders(const std::string& path) {
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        prefix = path.substr(0, slash);
        start = slash + 1;
        if (prefix.empty()) {
            continue;
        }
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
            return failure("create the folder", prefix, errno);
        }
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return "cannot create the folder '" + path + "': a file of that name is in the way";
    }
    return std::nullopt;
}

}  // namespace host
