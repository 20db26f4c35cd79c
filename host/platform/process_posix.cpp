#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
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

namespace {

volatile sig_atomic_t stopSignal = 0;
pthread_t mainThread;

extern "C" void recordStopSignal(int signal) {
    stopSignal = signal;
    // Taken by another thread (one of a plug-in's own that let it through, say): the main thread
    // is told too, so that a read it waits in returns.
    if (pthread_equal(pthread_self(), mainThread) == 0) {
        ::pthread_kill(mainThread, signal);
    }
}

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

void catchStopSignals() {
    mainThread = pthread_self();
    struct sigaction action {};
    action.sa_handler = recordStopSignal;
    // No SA_RESTART: a read waiting for the console's next line returns, and the host stops.
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int pendingStopSignal() {
    return stopSignal;
}

void takeStopSignal() {
    stopSignal = 0;
}

void keepStopSignalsOff() {
    const sigset_t signals = stopSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

bool awaitInputOrStopSignal(int descriptor) {
    // The stop signals are held off from the look at the flag until ppoll, which lets them in only
    // while it waits: one that comes in between ends the wait instead of being missed.
    const sigset_t signals = stopSignals();
    sigset_t open;
    ::pthread_sigmask(SIG_BLOCK, &signals, &open);
    pollfd input{descriptor, POLLIN, 0};
    while (stopSignal == 0 && ::ppoll(&input, 1, nullptr, &open) < 0 && errno == EINTR) {
    }
    const bool signalled = stopSignal != 0;
    ::pthread_sigmask(SIG_SETMASK, &open, nullptr);
    return !signalled;
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

long long heapBytesInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    // Small blocks from the arenas and large ones mapped on their own.
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long long>(heap.uordblks + heap.hblkhd);
#else
    return -1;
#endif
}

bool heapCountsExact() {
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    return heapBytesInUse() >= 0 && tunables != nullptr &&
           std::string_view(tunables).find(kNoThreadCache) != std::string_view::npos;
}

ProcessCounts processCounts() {
    ProcessCounts counts;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            counts.threads = std::strtol(line.c_str() + 8, nullptr, 10);
        } else if (line.rfind("VmRSS:", 0) == 0) {
            counts.residentKilobytes = std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    std::error_code error;
    long files = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
        ++files;
    }
    // The iteration's own descriptor is one of them.
    counts.openFiles = error ? -1 : files - 1;
    return counts;
}

}  // namespace host
