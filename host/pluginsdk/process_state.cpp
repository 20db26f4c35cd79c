#include "process_state.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <locale>
#include <mutex>
#include <set>
#include <tuple>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "host_environment.h"
#include "plugin_call.h"
#include "shared_call_record.h"

namespace pluginsdk {
namespace {

std::atomic<ProcessStateListener> listener{nullptr};
std::mutex toldMutex;
std::set<std::tuple<std::string, std::string, ProcessStateChange>> told;

#if !defined(_WIN32)
// The signals whose handling is the host's: the stop signals it ends the way it documents, the
// failed writes it reports as errors, the faults and the hang it reports.
constexpr int kHostSignals[] = {SIGINT, SIGTERM, SIGPIPE, SIGXFSZ, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kKept = std::size(kHostSignals) + 1;  // and SIGRTMIN, the hang's
struct KeptHandling {
    int signal;
    struct sigaction action;
};
KeptHandling kept[kKept];
bool keeping = false;
// The working directory as the host last saw it: a change is named once, when it is first seen.
struct stat seenDirectory {};


const char* signalName(int signal) {
    static thread_local char name[16];
    const char* abbreviation = ::sigabbrev_np(signal);
    std::snprintf(name, sizeof name, "SIG%s", abbreviation != nullptr ? abbreviation : "?");
    return name;
}

// The C library adds a flag of its own (SA_RESTORER, 0x04000000 on Linux) to whatever is set, so only
// the handler and the flags a program sets are compared.
bool sameHandling(const struct sigaction& a, const struct sigaction& b) {
    constexpr int kSettable = SA_NOCLDSTOP | SA_NOCLDWAIT | SA_SIGINFO | SA_ONSTACK | SA_RESTART | SA_NODEFER | SA_RESETHAND;
    return a.sa_sigaction == b.sa_sigaction && (a.sa_flags & kSettable) == (b.sa_flags & kSettable);
}

// Puts back each kept signal's handling that differs, naming it.
void restoreSignalHandling(const PluginCall& call) {
    for (const KeptHandling& handling : kept) {
        struct sigaction now {};
        if (::sigaction(handling.signal, nullptr, &now) == 0 && !sameHandling(now, handling.action)) {
            ::sigaction(handling.signal, &handling.action, nullptr);
            detail::noteProcessStateChange(call, ProcessStateChange::SignalHandling, signalName(handling.signal));
        }
    }
}

void lookAtWorkingDirectory(const PluginCall& call) {
    struct stat now {};
    if (::stat(".", &now) == 0 && (now.st_dev != seenDirectory.st_dev || now.st_ino != seenDirectory.st_ino)) {
        seenDirectory = now;
        detail::noteProcessStateChange(call, ProcessStateChange::WorkingDirectory, "");
    }
}

void writeToStandardError(const std::string& text) {
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t count = ::write(STDERR_FILENO, text.data() + written, text.size() - written);
        if (count <= 0) {
            return;
        }
        written += static_cast<std::size_t>(count);
    }
}

// Forks of plug-in code, followed for a check (followPluginForks): the child of each holds the
// writing end of a pipe that closes as it execs, and writes a byte to it if it comes back into the
// host's code instead; the reading end tells the check which of the two it did, without a timer.
// The pipe is made in the forking thread just before the fork, so it is that thread's.
std::atomic<bool> followingForks{false};
thread_local int forkPipe[2] = {-1, -1};
int cameBackPipe = -1;  // in a followed child: where to say it came back
std::mutex followedMutex;
std::vector<int> followedForks;  // the reading ends, in the process that forked
// The last of SIGINT and SIGTERM that plug-in code raised, for a check.
std::atomic<int> raisedStopSignal{0};

extern "C" void prepareForPluginFork() {
    if (followingForks.load(std::memory_order_relaxed) && currentPluginCall() != nullptr &&
        ::pipe2(forkPipe, O_CLOEXEC) != 0) {
        forkPipe[0] = forkPipe[1] = -1;
    }
}

extern "C" void followPluginFork() {
    if (forkPipe[0] >= 0) {
        ::close(forkPipe[1]);
        const std::lock_guard lock(followedMutex);
        followedForks.push_back(forkPipe[0]);
        forkPipe[0] = forkPipe[1] = -1;
    }
}

// The forking thread is the child's one thread, with its thread-locals: plug-in code was running
// if it is in a plug-in call. The host's own forks (its supervisor, a module's trial) are made
// outside plug-in calls and are left alone.
extern "C" void markChildOfPluginFork() {
    if (currentPluginCall() != nullptr) {
        detail::processStateTouched.fetch_or(detail::kForked, std::memory_order_relaxed);
        // What the child does must not reach the host's record of its calls.
        detail::leaveSharedCallRecord();
    }
    if (forkPipe[0] >= 0) {
        ::close(forkPipe[0]);
        cameBackPipe = forkPipe[1];
        forkPipe[0] = forkPipe[1] = -1;
    }
}

// The watched imports: the real function, and a mark for the boundary.
int watchedSigaction(int signal, const struct sigaction* action, struct sigaction* old) {
    const int result = ::sigaction(signal, action, old);
    if (action != nullptr) {
        detail::processStateTouched.fetch_or(detail::kTouchedSignals, std::memory_order_relaxed);
    }
    return result;
}

sighandler_t watchedSignal(int signal, sighandler_t handler) {
    const sighandler_t result = ::signal(signal, handler);
    detail::processStateTouched.fetch_or(detail::kTouchedSignals, std::memory_order_relaxed);
    return result;
}

int watchedChdir(const char* path) {
    const int result = ::chdir(path);
    detail::processStateTouched.fetch_or(detail::kTouchedDirectory, std::memory_order_relaxed);
    return result;
}

int watchedFchdir(int directory) {
    const int result = ::fchdir(directory);
    detail::processStateTouched.fetch_or(detail::kTouchedDirectory, std::memory_order_relaxed);
    return result;
}

// _exit ends the process without a word from it: the plug-in whose code calls it (in a call, or
// from its module's code on a thread of its own) is written down for the host's supervisor.
[[noreturn]] void watchedUnderscoreExit(int status) {
    const PluginCall* call = currentPluginCall();
    const char* plugin = call != nullptr ? call->pluginName
                                         : moduleHolding(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)) - 1);
    if (plugin != nullptr) {
        recordPluginExit("_exit", status, plugin, call != nullptr ? entryPointName(call->entryPoint) : nullptr);
    }
    ::_exit(status);
}

std::locale watchedGlobalLocale(const std::locale& locale) {
    std::locale previous = std::locale::global(locale);
    detail::processStateTouched.fetch_or(detail::kTouchedCxxLocale, std::memory_order_relaxed);
    return previous;
}

// The host's threads other than the main one keep SIGINT and SIGTERM blocked, so that the main
// thread takes them; sent to the thread that raises them they would wait there for ever.
bool stopSignal(int signal) {
    return signal == SIGINT || signal == SIGTERM;
}

int watchedRaise(int signal) {
    if (stopSignal(signal)) {
        raisedStopSignal.store(signal, std::memory_order_relaxed);
    }
    return stopSignal(signal) ? ::kill(::getpid(), signal) : ::raise(signal);
}

int watchedPthreadKill(pthread_t thread, int signal) {
    if (stopSignal(signal)) {
        raisedStopSignal.store(signal, std::memory_order_relaxed);
    }
    return stopSignal(signal) ? (::kill(::getpid(), signal) == 0 ? 0 : errno) : ::pthread_kill(thread, signal);
}
#endif

}  // namespace

std::string describe(const ProcessStateReport& report) {
    std::string text = "the plug-in " + report.pluginName + "'s " + report.entryPoint + " changed ";
    switch (report.change) {
    case ProcessStateChange::Locale:
        return text + "its thread's locale; the host put its own \"C\" locale back";
    case ProcessStateChange::CxxLocale:
        return text + "the C++ global locale; the host put the classic one back";
    case ProcessStateChange::FloatingPoint:
        return text + "the floating-point environment (" + report.detail + "); the host put its own back";
    case ProcessStateChange::SignalHandling:
        return text + "the handling of " + report.detail + "; the host put its own back";
    case ProcessStateChange::WorkingDirectory:
        return text + "the working directory; the host goes on finding files from the one it started in";
    }
    return text + "the process";
}

ProcessStateListener listenForProcessStateChanges(ProcessStateListener newListener) {
    return listener.exchange(newListener, std::memory_order_acq_rel);
}

void keepProcessState() {
#if !defined(_WIN32)
    for (std::size_t i = 0; i < kKept; ++i) {
        kept[i].signal = i < std::size(kHostSignals) ? kHostSignals[i] : SIGRTMIN;
        ::sigaction(kept[i].signal, nullptr, &kept[i].action);
    }
    ::stat(".", &seenDirectory);
    static std::once_flag registered;
    std::call_once(registered, [] { ::pthread_atfork(prepareForPluginFork, followPluginFork, markChildOfPluginFork); });
    keeping = true;
#endif
}

void verifyProcessState(const PluginCall& call) {
#if !defined(_WIN32)
    if (!keeping) {
        return;
    }
    detail::processStateTouched.fetch_and(detail::kForked, std::memory_order_relaxed);
    restoreSignalHandling(call);
    lookAtWorkingDirectory(call);
    detail::restoreClassicGlobalLocale(call);
#else
    (void)call;
#endif
}

void followPluginForks() {
#if !defined(_WIN32)
    followingForks.store(true, std::memory_order_relaxed);
#endif
}

int pluginForksThatCameBack() {
    int cameBack = 0;
#if !defined(_WIN32)
    std::vector<int> forks;
    {
        const std::lock_guard lock(followedMutex);
        forks.swap(followedForks);
    }
    for (const int fork : forks) {
        char byte = 0;
        ssize_t count = 0;
        while ((count = ::read(fork, &byte, 1)) < 0 && errno == EINTR) {
        }
        cameBack += count == 1 ? 1 : 0;
        ::close(fork);
    }
#endif
    return cameBack;
}

void forgetToldProcessStateChanges() {
    const std::lock_guard lock(toldMutex);
    told.clear();
}

int takeStopSignalRaisedByPlugin() {
#if !defined(_WIN32)
    return raisedStopSignal.exchange(0, std::memory_order_relaxed);
#else
    return 0;
#endif
}

const std::vector<WatchedImport>& watchedImports() {
#if !defined(_WIN32)
    using Sigaction = int (*)(int, const struct sigaction*, struct sigaction*);
    static const std::vector<WatchedImport> imports = {
        {"sigaction", reinterpret_cast<void*>(static_cast<Sigaction>(&watchedSigaction))},
        {"signal", reinterpret_cast<void*>(&watchedSignal)},
        {"chdir", reinterpret_cast<void*>(&watchedChdir)},
        {"fchdir", reinterpret_cast<void*>(&watchedFchdir)},
        {"raise", reinterpret_cast<void*>(&watchedRaise)},
        {"pthread_kill", reinterpret_cast<void*>(&watchedPthreadKill)},
        {"_ZNSt6locale6globalERKS_", reinterpret_cast<void*>(&watchedGlobalLocale)},
        {"_exit", reinterpret_cast<void*>(&watchedUnderscoreExit)},
        {"_Exit", reinterpret_cast<void*>(&watchedUnderscoreExit)},
    };
#else
    static const std::vector<WatchedImport> imports;
#endif
    return imports;
}

namespace detail {

std::atomic<unsigned> processStateTouched{0};

void noteWhatThePluginCallTouched(const PluginCall& call) {
    const unsigned touched = processStateTouched.load(std::memory_order_relaxed);
#if !defined(_WIN32)
    if ((touched & kForked) != 0) {
        if (cameBackPipe >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(cameBackPipe, "", 1);
        }
        writeToStandardError(std::string("quorvel-host: the plug-in ") + call.pluginName + " forked in its " +
                             entryPointName(call.entryPoint) +
                             ", and the forked process came back into the host: it ends here, and the host goes on "
                             "in the process that forked\n");
        ::_exit(3);
    }
    processStateTouched.fetch_and(~touched, std::memory_order_relaxed);
    if ((touched & kTouchedSignals) != 0 && keeping) {
        restoreSignalHandling(call);
    }
    if ((touched & kTouchedDirectory) != 0 && keeping) {
        lookAtWorkingDirectory(call);
    }
#endif
    if ((touched & kTouchedCxxLocale) != 0) {
        restoreClassicGlobalLocale(call);
    }
}

void noteProcessStateChange(const PluginCall& call, ProcessStateChange change, const std::string& detail) {
    {
        const std::lock_guard lock(toldMutex);
        if (!told.emplace(call.pluginName, entryPointName(call.entryPoint), change).second) {
            return;
        }
    }
    if (const ProcessStateListener tell = listener.load(std::memory_order_acquire)) {
        tell({call.pluginName, entryPointName(call.entryPoint), change, detail});
    }
}

}  // namespace detail
}  // namespace pluginsdk
