// A limit on the size of files this process writes, standing in for a full disk: a write past it
// fails part-way with EFBIG, even as root, where a full disk cannot be arranged. POSIX only.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

namespace quorvel_test {

// Sets the limit for the object's lifetime and ignores SIGXFSZ meanwhile, as the program does at
// start-up, so the failed write comes back as an error instead of ending the process; restores both
// when it goes. Throws std::system_error if the limit cannot be read or set.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = SIG_DFL;
};

}  // namespace quorvel_test
