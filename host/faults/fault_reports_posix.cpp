// Crash and hang reports on POSIX systems.
//
// A fatal signal may arrive while the crashed thread holds a lock that reading symbols needs: a
// plug-in that corrupted the heap crashes inside malloc. So the signal handler does only what is
// async-signal-safe, and symbols are read by another process:
//
//   - At start-up, while the host is still one thread, the program forks: the original process
//     becomes the watcher, which waits on a pipe and supervises the host, and the child goes on as
//     the host (fault_watcher_posix.cpp). The watcher is the parent so that it outlives the host's
//     end, however plug-in code brings it about (exit, _exit, a signal whose handler it replaced),
//     and names the plug-in from the calls in flight, which the two share in memory mapped before
//     the fork (pluginsdk/shared_call_record.h): plain stores per call, no system call. What it
//     costs is at the end: the watcher's own exit now follows the host's instead of running beside
//     it, about 5 ms more from start to end of an empty script (README, Benchmarks).
//   - The handler runs on the alternate signal stack that the plug-in call boundary gave the thread
//     (so a stack overflow is reported too). It fills a plain record: the plug-in and entry point
//     from the thread's call mark (a thread-local read), and the return addresses from libunwind's
//     local unwinding, which libunwind documents as signal-safe, started from the signal's context
//     so that the handler's own frames are not in it. It writes the record to the pipe in one
//     write (under PIPE_BUF, so whole), waits until the watcher says the report is written (poll,
//     read, the answer being the status to end with: the watcher also blames a plug-in whose module
//     holds a frame of a fault outside any call), and ends the process with _exit: nothing of the
//     host runs any more, nothing is saved.
//   - exit() called by plug-in code (in a call, or from a frame in a plug-in's module) ends the
//     host at once, with the plug-in and status written to the shared record for the watcher to
//     report: the host's own clean-up does not run under plug-in code that is still on the stack.
//   - The watcher reads the host's memory map from /proc and names the addresses with elfutils'
//     libdw, in a healthy process where allocating and reading files is safe.
//
// A hang takes the same path: the watch over hangs sends the stuck thread kHangSignal, whose
// handler reports where the thread is. Where the watcher is missing or silent, the handler writes
// a bare report itself, addresses without names.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include <libunwind.h>

#include "fault_record_posix.h"
#include "fault_reports.h"
#include "pluginsdk/plugin_call.h"
#include "pluginsdk/shared_call_record.h"

namespace host {
namespace detail {
namespace {

int requestPipe = -1;
int acknowledgementPipe = -1;
int hangSignal = 0;  // SIGRTMIN, which glibc works out at run time
// Set by the watch over hangs, read by the hung thread's handler: an atomic, which both may touch.
std::atomic<std::int32_t> hangTimeoutMilliseconds{0};
static_assert(std::atomic<std::int32_t>::is_always_lock_free, "read in a signal handler");
// The first fault reports; a thread that faults meanwhile waits for the process to end.
volatile sig_atomic_t reporting = 0;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kWatcherSeconds = 10;  // how long a report may take to write

void writeText(const char* text) {
    for (std::size_t left = std::strlen(text); left > 0;) {
        const ssize_t written = ::write(STDERR_FILENO, text, left);
        if (written <= 0) {
            return;
        }
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

void writeNumber(std::uint64_t value, unsigned base) {
    char digits[24];
    char* at = digits + sizeof digits;
    *--at = '\0';
    do {
        *--at = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    writeText(base == 16 ? "0x" : "");
    writeText(at);
}

int exitStatusOf(const FaultRecord& record) {
    if (record.kind == FaultRecord::Kind::Hang) {
        return kPluginHungStatus;
    }
    return record.inPluginCall != 0 ? kPluginCrashedStatus : kHostCrashedStatus;
}

// What the handler says itself when the watcher cannot: no names, nothing that allocates.
void writeBareReport(const FaultRecord& record) {
    if (record.whereUnknown != 0) {
        // From the watch over hangs, not a signal handler: formatting is safe here.
        char line[512];
        std::snprintf(line, sizeof line,
                      "quorvel-host: the plug-in %s did not return from its %s within %g s (--plugin-timeout); its "
                      "thread could not tell where it is\nquorvel-host: exits with status %d (a plug-in hung)\n",
                      record.plugin, record.entryPoint, record.timeoutMilliseconds / 1000.0, kPluginHungStatus);
        writeText(line);
        return;
    }
    writeText("quorvel-host: ");
    if (record.inPluginCall != 0) {
        writeText("the plug-in ");
        writeText(record.plugin);
        writeText(record.kind == FaultRecord::Kind::Hang ? " did not return from its " : " crashed in its ");
        writeText(record.entryPoint);
    } else {
        writeText("quorvel-host crashed in its own code");
    }
    if (record.kind == FaultRecord::Kind::Crash) {
        writeText(": signal ");
        writeNumber(static_cast<std::uint64_t>(record.signal), 10);
        if (record.raised == 0) {
            writeText(" at address ");
            writeNumber(record.address, 16);
        }
    }
    writeText(" (the fault watcher could not name the frames)\n");
    for (std::uint32_t i = 0; i < record.frames; ++i) {
        writeText("  #");
        writeNumber(i, 10);
        writeText("  ");
        writeNumber(record.instructions[i], 16);
        writeText("\n");
    }
}

// The first fault reports; a thread that faults meanwhile waits for the process to end.
void waitForTheFirstReport() {
    if (__atomic_exchange_n(&reporting, 1, __ATOMIC_SEQ_CST) != 0) {
        for (;;) {
            ::pause();
        }
    }
}

// Hands `record` to the watcher and waits until it has reported, or reports bare; then ends the
// process with the record's status.
[[noreturn]] void finishReport(const FaultRecord& record) {
    bool reported = false;
    char status = static_cast<char>(exitStatusOf(record));
    if (requestPipe >= 0 && ::write(requestPipe, &record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        pollfd answer{acknowledgementPipe, POLLIN, 0};
        reported = ::poll(&answer, 1, kWatcherSeconds * 1000) == 1 && ::read(acknowledgementPipe, &status, 1) == 1;
    }
    if (!reported) {
        writeBareReport(record);
        status = static_cast<char>(exitStatusOf(record));
    }
    ::_exit(static_cast<unsigned char>(status));
}

[[noreturn]] void report(FaultRecord& record, void* context) {
    waitForTheFirstReport();
    record.thread = static_cast<pid_t>(::syscall(SYS_gettid));
    if (const pluginsdk::PluginCall* call = pluginsdk::currentPluginCall()) {
        record.inPluginCall = 1;
        copyPrintable(record.plugin, sizeof record.plugin, call->pluginName);
        copyPrintable(record.entryPoint, sizeof record.entryPoint, pluginsdk::entryPointName(call->entryPoint));
    }
    unw_cursor_t cursor;
    if (unw_init_local2(&cursor, static_cast<unw_context_t*>(context), UNW_INIT_SIGNAL_FRAME) == 0) {
        constexpr std::uint32_t kMostFrames = sizeof record.instructions / sizeof record.instructions[0];
        do {
            unw_word_t instruction = 0;
            if (unw_get_reg(&cursor, UNW_REG_IP, &instruction) != 0 || instruction == 0) {
                break;
            }
            record.instructions[record.frames++] = instruction;
        } while (record.frames < kMostFrames && unw_step(&cursor) > 0);
    }
    finishReport(record);
}

extern "C" void onFatalSignal(int signal, siginfo_t* info, void* context) {
    FaultRecord record;
    record.kind = FaultRecord::Kind::Crash;
    record.signal = signal;
    record.address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    record.raised = info->si_code <= 0 ? 1 : 0;  // SI_USER, SI_TKILL, SI_QUEUE: no faulting address
    report(record, context);
}

extern "C" void onHangSignal(int /*signal*/, siginfo_t* /*info*/, void* context) {
    FaultRecord record;
    record.kind = FaultRecord::Kind::Hang;
    record.timeoutMilliseconds = static_cast<std::uint32_t>(hangTimeoutMilliseconds.load());
    report(record, context);
}

// What the handler calls must not be resolved or set up for the first time inside it: the dynamic
// loader's lazy binding and libunwind's first look at the loaded modules happen here instead.
void prepareWhatTheHandlerCalls() {
    unw_context_t context;
    unw_getcontext(&context);
    unw_cursor_t cursor;
    if (unw_init_local(&cursor, &context) == 0) {
        unw_word_t instruction = 0;
        unw_get_reg(&cursor, UNW_REG_IP, &instruction);
        unw_step(&cursor);
    }
    (void)pluginsdk::currentPluginCall();
}

// exit() called by plug-in code: in a plug-in call on this thread, or with a frame of a plug-in's
// module on its stack (a thread of its own). The host's own exit goes on as usual.
extern "C" void onProcessExit(int status, void* /*unused*/) {
    const pluginsdk::PluginCall* call = pluginsdk::currentPluginCall();
    const char* plugin = call != nullptr ? call->pluginName : nullptr;
    // Frames are looked at only once a module was loaded: no other code can be a plug-in's.
    if (plugin == nullptr && pluginsdk::callRecord().modulesOpened.load(std::memory_order_relaxed) != 0) {
        void* frames[64];
        const int count = unw_backtrace(frames, 64);
        for (int i = 0; i < count && plugin == nullptr; ++i) {
            plugin = pluginsdk::moduleHolding(reinterpret_cast<std::uintptr_t>(frames[i]) - 1);
        }
    }
    if (plugin == nullptr) {
        return;
    }
    pluginsdk::recordPluginExit("exit", status, plugin, call != nullptr ? pluginsdk::entryPointName(call->entryPoint) : nullptr);
    const auto& exit = pluginsdk::callRecord().exit;
    if (requestPipe < 0) {
        // No watcher to tell it: said here, as briefly.
        writeText("quorvel-host: the plug-in ");
        writeText(exit.plugin);
        writeText(" ended the host with exit(");
        writeNumber(static_cast<std::uint64_t>(static_cast<unsigned>(status)), 10);
        writeText(")\n");
    }
    // What the host printed so far is kept; nothing else of it runs.
    std::fflush(nullptr);
    ::_exit(kPluginCrashedStatus);
}

// The child of a fork made by plug-in code is the plug-in's: a crash there is not the host's to
// report (pluginsdk ends it if it comes back into the host).
extern "C" void forgetWatcherInPluginFork() {
    if (pluginsdk::currentPluginCall() != nullptr) {
        requestPipe = -1;
        for (const int signal : kFatalSignals) {
            ::signal(signal, SIG_DFL);
        }
    }
}

// Present only when the host runs under a sanitizer: what runs as a sanitizer ends the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

// A sanitizer's report ends the host with the sanitizer's status, from whatever code was running:
// the watcher is to pass it on, not take it for plug-in code ending the host.
void markSanitizerEnd() {
    pluginsdk::callRecord().sanitizerEnded.store(1, std::memory_order_release);
}

// Forks the watcher off as the parent; returns in the child, the host. On failure the host goes
// on unsupervised and its handler reports bare.
void startWatcher(const std::string& recordFile) {
    void* shared = ::mmap(nullptr, pluginsdk::kSharedCallRecordMapping, PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        return;
    }
    int requests[2];
    int acknowledgements[2];
    if (::pipe2(requests, O_CLOEXEC) != 0) {
        ::munmap(shared, pluginsdk::kSharedCallRecordMapping);
        return;
    }
    if (::pipe2(acknowledgements, O_CLOEXEC) != 0) {
        ::close(requests[0]);
        ::close(requests[1]);
        ::munmap(shared, pluginsdk::kSharedCallRecordMapping);
        return;
    }
    pluginsdk::shareCallRecord(new (shared) pluginsdk::SharedCallRecord);
    if (&__sanitizer_set_death_callback != nullptr) {
        __sanitizer_set_death_callback(markSanitizerEnd);
    }
    // Output still in the C runtime's buffers would be written twice, once by each process.
    std::fflush(nullptr);
    const pid_t watcher = ::getpid();
    const pid_t host = ::fork();
    if (host > 0) {
        ::close(requests[1]);
        ::close(acknowledgements[0]);
        superviseHost(host, requests[0], acknowledgements[1], recordFile);
    }
    ::close(requests[0]);
    ::close(acknowledgements[1]);
    if (host < 0) {
        ::close(requests[1]);
        ::close(acknowledgements[0]);
        pluginsdk::shareCallRecord(nullptr);
        return;  // the handler reports bare
    }
    // Neither outlives the other: a watcher killed outright takes the host with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != watcher) {
        ::_exit(kHostCrashedStatus);  // it was gone before the line above
    }
    requestPipe = requests[1];
    acknowledgementPipe = acknowledgements[0];
}

}  // namespace

void startCrashReports(const std::string& recordFile) {
    prepareWhatTheHandlerCalls();
    startWatcher(recordFile);
    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    // On the thread's alternate stack; and a fault inside the handler itself ends the process by
    // its signal rather than entering the handler again.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigfillset(&action.sa_mask);
    for (const int signal : kFatalSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    hangSignal = SIGRTMIN;
    action.sa_sigaction = onHangSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigaction(hangSignal, &action, nullptr);
    // Registered last of the exit handlers that matter, so it runs before the host's static clean-up.
    ::on_exit(onProcessExit, nullptr);
    ::pthread_atfork(nullptr, nullptr, forgetWatcherInPluginFork);
}

void reportHungThread(std::uint64_t thread, double pluginTimeoutSeconds) {
    hangTimeoutMilliseconds = static_cast<std::int32_t>(pluginTimeoutSeconds * 1000.0);
    if (::pthread_kill(static_cast<pthread_t>(thread), hangSignal) == 0) {
        // Its handler reports and ends the process. If it cannot run, say what is known.
        timespec wait{kWatcherSeconds + 2, 0};
        while (::nanosleep(&wait, &wait) != 0) {
        }
    }
    waitForTheFirstReport();
    // What the watch knows without the thread: the call it is in. (Under ThreadSanitizer a thread
    // that never calls into the runtime never takes a signal.)
    const pluginsdk::PluginCall* call = pluginsdk::innermostCallOf(thread);
    FaultRecord record;
    record.kind = FaultRecord::Kind::Hang;
    record.whereUnknown = 1;
    record.inPluginCall = 1;
    record.timeoutMilliseconds = static_cast<std::uint32_t>(pluginTimeoutSeconds * 1000.0);
    copyPrintable(record.plugin, sizeof record.plugin, call != nullptr ? call->pluginName : "a plug-in");
    copyPrintable(record.entryPoint, sizeof record.entryPoint,
                  call != nullptr ? pluginsdk::entryPointName(call->entryPoint) : "call");
    finishReport(record);
}

}  // namespace detail
}  // namespace host
