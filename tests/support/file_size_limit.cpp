#include "file_size_limit.h"

#include <cerrno>
#include <system_error>

namespace quorvel_test {

FileSizeLimit::FileSizeLimit(std::size_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) {
        throw std::system_error(errno, std::generic_category(), "getrlimit(RLIMIT_FSIZE)");
    }
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        const int error = errno;
        std::signal(SIGXFSZ, savedHandler_);
        throw std::system_error(error, std::generic_category(), "setrlimit(RLIMIT_FSIZE)");
    }
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

}  // namespace quorvel_test
