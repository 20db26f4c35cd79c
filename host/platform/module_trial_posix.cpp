// The trial opening on POSIX systems: fork, dlopen in the child, report through a pipe.
#include "module_trial.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace host {
namespace {

// The child's exit status when the module's static set-up threw; the pipe carries what it threw.
constexpr int kStaticSetUpThrew = 3;
int childReportPipe = -1;
constexpr std::size_t kLongestReport = 1024;

void writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        written += static_cast<std::size_t>(count);
    }
}

// std::terminate is where an exception out of a static constructor ends up; in the child it sends
// what was thrown to the parent and ends the child quietly.
[[noreturn]] void reportThrownAndExit() {
    std::string what = "an unknown exception";
    if (const std::exception_ptr thrown = std::current_exception()) {
        try {
            std::rethrow_exception(thrown);
        } catch (const std::exception& error) {
            what = error.what();
        } catch (...) {
        }
    }
    // Short enough to fit the pipe's buffer whole, so the child never waits on its parent.
    writeAll(childReportPipe, what.substr(0, kLongestReport));
    ::_exit(kStaticSetUpThrew);
}

[[noreturn]] void openInChild(const std::string& path, int reportPipe) {
    childReportPipe = reportPipe;
    std::set_terminate(reportThrownAndExit);
    // dlopen is declared not to throw, so a call to it directly would have its handler optimised
    // away and the exception would unwind into the host's code in the child; called through a
    // pointer the compiler cannot see through, the handler stays.
    void* (*volatile openModule)(const char*, int) = &::dlopen;
    try {
        const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
        openModule(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    } catch (...) {
        // Where the exception does make it through the loader, it is reported all the same.
        reportThrownAndExit();
    }
    // Whether it opened or not: a module the loader refuses is refused again, with the loader's
    // words, when the host opens it. Nothing of the host's clean-up runs here.
    ::_exit(0);
}

// What the child left in the pipe. Read after the child has ended, without waiting: a process the
// module's set-up started may still hold the pipe open.
std::string readWaiting(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::string text;
    char buffer[512];
    while (text.size() < kLongestReport) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

}  // namespace

std::optional<std::string> moduleTrialProblem(const std::string& path) {
    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        return "the host could not try it in a child process: " + std::string(std::strerror(errno));
    }
    // Output still in the C runtime's buffers would be copied into the child, and written a second
    // time if anything in the child flushes it (a sanitizer's runtime does on its way out): empty
    // them first. The host's C++ streams are synchronised with C's and keep no buffer of their own.
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        return "the host could not try it in a child process: " + std::string(std::strerror(error));
    }
    if (child == 0) {
        ::close(reportPipe[0]);
        openInChild(path, reportPipe[1]);
    }
    ::close(reportPipe[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(reportPipe[0]);
            return "the host lost its trial of the module: " + std::string(std::strerror(error));
        }
    }
    const std::string thrown = readWaiting(reportPipe[0]);
    ::close(reportPipe[0]);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return std::nullopt;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kStaticSetUpThrew) {
        return "its static set-up threw: " + thrown;
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return "opening it ended the trial process with signal " + std::to_string(signal) + " (" +
               std::string(::strsignal(signal)) + ")";
    }
    return "opening it ended the trial process with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace host
