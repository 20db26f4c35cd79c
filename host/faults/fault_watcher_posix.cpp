// The fault watcher, which is also the host's supervisor: the process the user's shell started and
// waits on, of which the host is a child forked at start-up. It turns the records of a crashed or
// hung thread into reports with function names and source lines (fault_reports_posix.cpp says why
// that is done in another process), and it outlives whatever plug-in code does to the host's
// process: an exit, an _exit, a signal whose handling the plug-in replaced. Those it reports from
// the record of the calls in flight that the two share (pluginsdk/shared_call_record.h), with
// status 3, never the 0 an exit(0) would give.
//
// Otherwise it stays out of the way: it is in the terminal's foreground process group with the host
// (the line editor keeps the terminal), ignores SIGINT as the host's other processes do (Ctrl-C
// reaches the whole group; the host answers it), passes SIGTERM and SIGHUP on to the host, stops
// when the host stops and continues it when continued, and ends with the host's exit status, or by
// the signal that ended it.
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "fault_record_posix.h"
#include "fault_reports.h"
#include "pluginsdk/shared_call_record.h"
#include "printable_text.h"

namespace host::detail {
namespace {

bool readWhole(int fd, void* into, std::size_t size) {
    auto* bytes = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t count = ::read(fd, bytes, size);
        if (count <= 0) {
            return false;
        }
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

void writeWhole(int fd, const std::string& text) {
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count <= 0) {
            return;
        }
        written += static_cast<std::size_t>(count);
    }
}

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
    return text;
}

// A function's name as its source spells it, its parameter list shortened to "(...)": the full
// types of a standard-library signature make a line of hundreds of characters.
std::string demangled(const char* name) {
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                          std::free);
    std::string text = status == 0 && readable ? readable.get() : name;
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return text;
    }
    int depth = 0;
    for (std::size_t at = close + 1; at-- > 0;) {
        depth += text[at] == ')' ? 1 : text[at] == '(' ? -1 : 0;
        if (depth == 0) {
            if (close > at + 1) {
                text.replace(at + 1, close - at - 1, "...");
            }
            break;
        }
    }
    return text;
}

// The host's modules as its memory map shows them, for naming addresses.
class HostModules {
public:
    explicit HostModules(pid_t host) : dwfl_(dwfl_begin(&kCallbacks)) {
        if (dwfl_ != nullptr) {
            dwfl_report_begin(dwfl_);
            dwfl_linux_proc_report(dwfl_, host);
            dwfl_report_end(dwfl_, nullptr, nullptr);
        }
    }
    ~HostModules() {
        if (dwfl_ != nullptr) {
            dwfl_end(dwfl_);
        }
    }
    HostModules(const HostModules&) = delete;
    HostModules& operator=(const HostModules&) = delete;

    // "0xADDRESS in FUNCTION at FILE:LINE (MODULE)", as much of it as is known. `returnAddress`:
    // the address follows a call, so the call's own line is the one before it.
    std::string describe(std::uint64_t address, bool returnAddress) const {
        std::string text = hex(address);
        const Dwarf_Addr looked = returnAddress ? address - 1 : address;
        Dwfl_Module* module = dwfl_ != nullptr ? dwfl_addrmodule(dwfl_, looked) : nullptr;
        if (module == nullptr) {
            bool loaded = false;
            if (const char* plugin = pluginsdk::moduleHolding(looked, &loaded)) {
                text += " (in the module of the plug-in " + printable(plugin) + (loaded ? ")" : ", since unloaded)");
            }
            return text;
        }
        if (const char* function = dwfl_module_addrname(module, looked)) {
            text += " in " + printable(demangled(function));
        }
        if (Dwfl_Line* line = dwfl_module_getsrc(module, looked)) {
            int number = 0;
            if (const char* file = dwfl_lineinfo(line, nullptr, &number, nullptr, nullptr, nullptr)) {
                text += " at " + printable(file) + ":" + std::to_string(number);
            }
        }
        const char* name = dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (name != nullptr) {
            const char* slash = std::strrchr(name, '/');
            text += " (" + printable(slash != nullptr ? slash + 1 : name) + ")";
        }
        return text;
    }

private:
    static inline char* debugInfoPath = nullptr;
    static constexpr Dwfl_Callbacks kCallbacks{dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo, nullptr,
                                               &debugInfoPath};
    Dwfl* dwfl_;
};

std::string signalName(int signal) {
    const char* abbreviation = ::sigabbrev_np(signal);
    return (abbreviation != nullptr ? "SIG" + std::string(abbreviation) : "signal " + std::to_string(signal)) +
           " (" + ::strsignal(signal) + ")";
}

constexpr std::size_t kMostFrames = sizeof(FaultRecord::instructions) / sizeof(FaultRecord::instructions[0]);

// The plug-in whose module holds the faulting address or one of the frames of a fault outside any
// plug-in call: a thread the plug-in started, or its code still running once its module was closed.
const char* pluginOwningFault(const FaultRecord& record, bool& stillLoaded) {
    if (const char* plugin = pluginsdk::moduleHolding(record.address, &stillLoaded); plugin != nullptr && record.raised == 0) {
        return plugin;
    }
    for (std::uint32_t i = 0; i < record.frames && i < kMostFrames; ++i) {
        if (const char* plugin = pluginsdk::moduleHolding(record.instructions[i] - (i > 0 ? 1 : 0), &stillLoaded)) {
            return plugin;
        }
    }
    return nullptr;
}

int exitStatusFor(const FaultRecord& record) {
    bool loaded = false;
    if (record.kind == FaultRecord::Kind::Hang) {
        return kPluginHungStatus;
    }
    return record.inPluginCall != 0 || pluginOwningFault(record, loaded) != nullptr ? kPluginCrashedStatus
                                                                                     : kHostCrashedStatus;
}

// What happened, in a line: the report's first.
std::string headlineOf(const FaultRecord& record) {
    const std::string plugin = printable(record.plugin);
    const std::string entryPoint = printable(record.entryPoint);
    if (record.kind == FaultRecord::Kind::Hang) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", record.timeoutMilliseconds / 1000.0);
        return "the plug-in " + plugin + " did not return from its " + entryPoint + " within " + seconds +
               " s (--plugin-timeout)" + (record.whereUnknown != 0 ? "; its thread could not tell where it is" : "");
    }
    const std::string where =
        record.raised != 0 ? std::string(", raised by the thread itself") : " at address " + hex(record.address);
    if (record.inPluginCall != 0) {
        return "the plug-in " + plugin + " crashed in its " + entryPoint + ": " + signalName(record.signal) + where;
    }
    bool stillLoaded = false;
    if (const char* owner = pluginOwningFault(record, stillLoaded)) {
        return "the plug-in " + printable(owner) + " crashed outside any call from the host, in code of its " +
               (stillLoaded ? "module (a thread of its own, say)" : "module after the module was unloaded") + ": " +
               signalName(record.signal) + where;
    }
    return "quorvel-host crashed in its own code, not in a plug-in's: " + signalName(record.signal) + where;
}

std::string reportOf(const FaultRecord& record, pid_t host) {
    std::string text = "quorvel-host: " + headlineOf(record) + "\n";
    if (record.whereUnknown == 0) {
        const char* frames =
            record.kind == FaultRecord::Kind::Hang ? "where its thread is" : "backtrace of the crashed thread";
        text += "quorvel-host: " + std::string(frames) + " (thread " + std::to_string(record.thread) +
                "), innermost first:\n";
        const HostModules modules(host);
        for (std::uint32_t i = 0; i < record.frames && i < kMostFrames; ++i) {
            text += "  #" + std::to_string(i) + "  " + modules.describe(record.instructions[i], i > 0) + "\n";
        }
    }
    if (record.kind == FaultRecord::Kind::Hang) {
        text += "quorvel-host: exits with status " + std::to_string(kPluginHungStatus) + " (a plug-in hung)\n";
    } else if (exitStatusFor(record) == kPluginCrashedStatus) {
        text += "quorvel-host: exits with status " + std::to_string(kPluginCrashedStatus) + " (a plug-in crashed)\n";
    } else {
        text += "quorvel-host: exits with status " + std::to_string(kHostCrashedStatus) +
                " (a fault of quorvel-host itself; please report it)\n";
    }
    return text;
}

// The report as a record of the check whose process this is (check/check_records.h).
void appendRecord(const std::string& file, const char* fault, const std::string& message, const std::string& report) {
    const nlohmann::json line = {{"fault", fault}, {"message", message}, {"report", report}};
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeWhole(fd, line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
        ::close(fd);
    }
}

// --- The host's ends, as the supervisor sees them ------------------------------------------------

// Signals the host answers itself: ended by one of these, it did not answer, so its handling was
// replaced (by plug-in code: nothing else in the process changes it).
bool handledByTheHost(int signal) {
    for (const int handled : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE, SIGXFSZ, SIGINT, SIGTERM}) {
        if (signal == handled) {
            return true;
        }
    }
    return signal == SIGRTMIN;
}

struct TextSearch {
    std::uintptr_t address;
    std::size_t readable = 0;  // bytes from `address` to the end of its segment
};

int findReadable(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<TextSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
        if (header.p_type == PT_LOAD && (header.p_flags & PF_R) != 0 && search->address >= start &&
            search->address < start + header.p_memsz) {
            search->readable = start + header.p_memsz - search->address;
            return 1;
        }
    }
    return 0;
}

// An entry point's name as the host's record points to it: a text of the host's own program or
// libraries, mapped here as there since the fork, read only where this process's map says a loaded
// image lies.
std::string entryPointText(const char* entryPoint) {
    TextSearch search{reinterpret_cast<std::uintptr_t>(entryPoint)};
    if (entryPoint == nullptr || dl_iterate_phdr(&findReadable, &search) == 0) {
        return "code";
    }
    return printable(std::string(entryPoint, ::strnlen(entryPoint, std::min<std::size_t>(search.readable, 64))));
}

const pluginsdk::SharedCallRecord::ThreadSlot* callInFlight(const pluginsdk::SharedCallRecord& calls) {
    for (const auto& slot : calls.threads) {
        if (slot.thread.load(std::memory_order_acquire) != 0 && slot.depth.load(std::memory_order_acquire) != 0) {
            return &slot;
        }
    }
    return nullptr;
}

// The plug-ins loaded as the host ended, for an end nothing else names.
std::string loadedPlugins(const pluginsdk::SharedCallRecord& calls) {
    std::string names;
    for (const auto& module : calls.modules) {
        if (module.loaded.load(std::memory_order_acquire) != 0 && names.find(module.name) == std::string::npos) {
            names += (names.empty() ? "" : ", ") + printable(module.name);
        }
    }
    return names;
}

std::string endOf(int status) {
    if (WIFEXITED(status)) {
        return "the process exited with status " + std::to_string(WEXITSTATUS(status)) + " (_exit, or the like)";
    }
    return signalName(WTERMSIG(status));
}

// What ended the host, if plug-in code did and the host could not say so; empty otherwise.
std::string pluginEndOf(int status, const pluginsdk::SharedCallRecord& calls) {
    if (calls.sanitizerEnded.load(std::memory_order_acquire) != 0) {
        return {};
    }
    const auto& exit = calls.exit;
    if (exit.written.load(std::memory_order_acquire) != 0) {
        const std::string where = exit.inPluginCall != 0 ? "in its " + printable(exit.entryPoint)
                                                         : std::string("outside any call from the host, in code of its own");
        return "the plug-in " + printable(exit.plugin) + " ended the host " + where + ": " + printable(exit.function) +
               "(" + std::to_string(exit.status) + ")";
    }
    if (const auto* slot = callInFlight(calls)) {
        const char* name = pluginsdk::recordedPluginName(calls, slot->plugin.load(std::memory_order_relaxed));
        return "the plug-in " + (name != nullptr ? printable(name) : std::string("module being opened or closed")) +
               " ended the host in its " + entryPointText(slot->entryPoint.load(std::memory_order_relaxed)) + ": " +
               endOf(status);
    }
    if (WIFSIGNALED(status) && handledByTheHost(WTERMSIG(status))) {
        const std::string loaded = loadedPlugins(calls);
        if (!loaded.empty()) {
            return "the host was ended by " + signalName(WTERMSIG(status)) +
                   ", which it handles itself: plug-in code replaced its handling (loaded: " + loaded + ")";
        }
    }
    return {};
}

// Ends this process the way the host ended: with its status, or by its signal.
[[noreturn]] void endAsTheHost(int status) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);  // the host's core, if any, is the one that tells
        ::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::kill(::getpid(), signal);
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : kHostCrashedStatus);
}

[[noreturn]] void hostEnded(int status, bool reported, const pluginsdk::SharedCallRecord& calls,
                            const std::string& recordFile) {
    if (!reported) {
        if (const std::string end = pluginEndOf(status, calls); !end.empty()) {
            const std::string report = "quorvel-host: " + end + "\nquorvel-host: exits with status " +
                                       std::to_string(kPluginCrashedStatus) + " (a plug-in ended the host)\n";
            writeWhole(STDERR_FILENO, report);
            if (!recordFile.empty()) {
                appendRecord(recordFile, "crash", end, report);
            }
            ::_exit(kPluginCrashedStatus);
        }
        if (WIFSIGNALED(status) && handledByTheHost(WTERMSIG(status))) {
            writeWhole(STDERR_FILENO, "quorvel-host: quorvel-host was ended by " + signalName(WTERMSIG(status)) +
                                          " without a report of its own\nquorvel-host: exits with status " +
                                          std::to_string(kHostCrashedStatus) +
                                          " (a fault of quorvel-host itself; please report it)\n");
            ::_exit(kHostCrashedStatus);
        }
    }
    endAsTheHost(status);
}

}  // namespace

void superviseHost(pid_t host, int requests, int acknowledgements, const std::string& recordFile) {
    // Whoever reads the host's standard output waits for every writer to close it; the supervisor
    // has nothing to say there, nor anything to read.
    const int nowhere = ::open("/dev/null", O_RDWR);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDIN_FILENO);
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(nowhere);
    }
    // Ctrl-C and Ctrl-\ reach the whole process group; the host answers them.
    for (const int signal : {SIGINT, SIGQUIT, SIGPIPE, SIGTTIN, SIGTTOU}) {
        ::signal(signal, SIG_IGN);
    }
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGCHLD, SIGTERM, SIGHUP, SIGTSTP, SIGCONT}) {
        sigaddset(&watched, signal);
    }
    ::sigprocmask(SIG_BLOCK, &watched, nullptr);
    const int signals = ::signalfd(-1, &watched, SFD_CLOEXEC);
    const pluginsdk::SharedCallRecord& calls = pluginsdk::callRecord();
    bool reported = false;
    for (;;) {
        pollfd ready[2] = {{signals, POLLIN, 0}, {requests, POLLIN, 0}};
        if (::poll(ready, requests >= 0 ? 2 : 1, -1) < 0) {
            continue;
        }
        if (ready[1].revents != 0) {
            FaultRecord record;
            if (readWhole(requests, &record, sizeof record)) {
                const std::string report = reportOf(record, host);
                writeWhole(STDERR_FILENO, report);
                if (!recordFile.empty()) {
                    appendRecord(recordFile, record.kind == FaultRecord::Kind::Hang ? "hang" : "crash",
                                 headlineOf(record), report);
                }
                const char status = static_cast<char>(exitStatusFor(record));
                (void)::write(acknowledgements, &status, 1);
                reported = true;
            } else {
                requests = -1;  // the host's end of the pipe is closed: it is ending
            }
        }
        signalfd_siginfo signal{};
        if ((ready[0].revents & POLLIN) == 0 || ::read(signals, &signal, sizeof signal) != sizeof signal) {
            continue;
        }
        switch (signal.ssi_signo) {
        case SIGTERM:
        case SIGHUP:
        case SIGTSTP:
        case SIGCONT:
            ::kill(host, static_cast<int>(signal.ssi_signo));
            break;
        default:
            break;
        }
        int status = 0;
        for (pid_t changed; (changed = ::waitpid(host, &status, WNOHANG | WUNTRACED | WCONTINUED)) == host;) {
            if (WIFSTOPPED(status)) {
                ::raise(SIGSTOP);  // the shell sees the job stop; its SIGCONT continues the host too
            } else if (WIFEXITED(status) || WIFSIGNALED(status)) {
                hostEnded(status, reported, calls, recordFile);
            }
        }
    }
}

}  // namespace host::detail
