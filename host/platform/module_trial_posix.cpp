// The trial on POSIX systems: fork, dlopen and dlclose in the child, report through a pipe.
#include "module_trial.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

// Present only when the host runs under a sanitizer: what runs when a sanitizer stops the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace host {
namespace {

// The child's exit statuses when something ended in std::terminate: while the module was being
// opened (its static set-up threw), or once it was open (its static clean-up threw, or a thread its
// set-up started). The pipe carries what was thrown.
constexpr int kStaticSetUpThrew = 3;
constexpr int kTerminatedOnceOpen = 4;
int childReportPipe = -1;
volatile bool childOpenedModule = false;
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
    ::_exit(childOpenedModule ? kTerminatedOnceOpen : kStaticSetUpThrew);
}

// The child's own output would interleave with the host's: whatever the module prints, the
// sanitizers' reports included, goes nowhere.
void silenceStandardStreams() {
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDOUT_FILENO);
        ::dup2(nowhere, STDERR_FILENO);
        ::close(nowhere);
    }
}

[[noreturn]] void tryInChild(const std::string& path, int reportPipe) {
    childReportPipe = reportPipe;
    silenceStandardStreams();
    // A crash ends the child by its signal, which the parent reports; handlers the host's process
    // installed (a sanitizer's, a fuzzer's) have nothing to do here.
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) {
        std::signal(signal, SIG_DFL);
    }
    // A fuzzer's death callback would record the module as a crash of the host's.
    if (&__sanitizer_set_death_callback != nullptr) {
        __sanitizer_set_death_callback(nullptr);
    }
    std::set_terminate(reportThrownAndExit);
    // dlopen is declared not to throw, so a call to it directly would have its handler optimised
    // away and the exception would unwind into the host's code in the child; called through a
    // pointer the compiler cannot see through, the handler stays.
    void* (*volatile openModule)(const char*, int) = &::dlopen;
    void* trialHandle = nullptr;
    try {
        const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
        trialHandle = openModule(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (trialHandle == nullptr) {
            // The loader refuses it: the host's own opening says so, in the loader's words.
            ::_exit(0);
        }
    } catch (...) {
        // Where the exception does make it through the loader, it is reported all the same.
        reportThrownAndExit();
    }
    childOpenedModule = true;
    // The module's static clean-up, which the host's unload will run too.
    ::dlclose(trialHandle);
    // Nothing of the host's clean-up runs here.
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

// Waits for the child to end, at most `limitSeconds` (0: for ever), looking often at first and then
// less: a trial takes a few milliseconds. False if the limit passed; the child is then stopped and
// reaped. `status` is the child's; errno says why if waitpid failed (then also false).
bool waitForChild(pid_t child, int& status, double limitSeconds, bool& lost) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(limitSeconds));
    auto pause = std::chrono::microseconds(100);
    for (;;) {
        const pid_t ended = ::waitpid(child, &status, limitSeconds > 0 ? WNOHANG : 0);
        if (ended == child) {
            return true;
        }
        if (ended < 0 && errno != EINTR) {
            lost = true;
            return false;
        }
        if (limitSeconds > 0 && Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        if (ended == 0) {
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::microseconds(20'000));
        }
    }
}

}  // namespace

std::optional<std::string> moduleTrialProblem(const std::string& path, double limitSeconds) {
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
        tryInChild(path, reportPipe[1]);
    }
    ::close(reportPipe[1]);
    int status = 0;
    bool lost = false;
    if (!waitForChild(child, status, limitSeconds, lost)) {
        const int error = errno;
        ::close(reportPipe[0]);
        if (lost) {
            return "the host lost its trial of the module: " + std::string(std::strerror(error));
        }
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", limitSeconds);
        return std::string("its static set-up did not finish within ") + limit +
               " s (--plugin-timeout) when the module was opened in a child process, which was stopped";
    }
    const std::string thrown = readWaiting(reportPipe[0]);
    ::close(reportPipe[0]);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return std::nullopt;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kStaticSetUpThrew) {
        return "its static set-up threw: " + thrown;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kTerminatedOnceOpen) {
        return "a trial load in a child process ended in std::terminate: " + thrown;
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return "a trial load in a child process ended with signal " + std::to_string(signal) + " (" +
               std::string(::strsignal(signal)) + ")";
    }
    return "a trial load in a child process ended with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace host
