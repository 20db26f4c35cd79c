// The fault watcher: a process of its own, forked from the host at start-up, that turns the
// records of a crashed or hung thread into reports with function names and source lines
// (fault_reports_posix.cpp says why it is a process of its own).
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "fault_record_posix.h"
#include "fault_reports.h"
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
    return (record.inPluginCall != 0 ? "the plug-in " + plugin + " crashed in its " + entryPoint
                                     : std::string("quorvel-host crashed in its own code, not in a plug-in's")) +
           ": " + signalName(record.signal) + where;
}

std::string reportOf(const FaultRecord& record, pid_t host) {
    std::string text = "quorvel-host: " + headlineOf(record) + "\n";
    if (record.whereUnknown == 0) {
        const char* frames =
            record.kind == FaultRecord::Kind::Hang ? "where its thread is" : "backtrace of the crashed thread";
        text += "quorvel-host: " + std::string(frames) + " (thread " + std::to_string(record.thread) +
                "), innermost first:\n";
        const HostModules modules(host);
        for (std::uint32_t i = 0;
             i < record.frames && i < sizeof record.instructions / sizeof record.instructions[0]; ++i) {
            text += "  #" + std::to_string(i) + "  " + modules.describe(record.instructions[i], i > 0) + "\n";
        }
    }
    if (record.kind == FaultRecord::Kind::Hang) {
        text += "quorvel-host: exits with status " + std::to_string(kPluginHungStatus) + " (a plug-in hung)\n";
    } else if (record.inPluginCall != 0) {
        text += "quorvel-host: exits with status " + std::to_string(kPluginCrashedStatus) + " (a plug-in crashed)\n";
    } else {
        text += "quorvel-host: exits with status " + std::to_string(kHostCrashedStatus) +
                " (a fault of quorvel-host itself; please report it)\n";
    }
    return text;
}

// The report as a record of the check whose process this is (check/check_records.h).
void appendRecord(const std::string& file, const FaultRecord& record, const std::string& report) {
    const nlohmann::json line = {{"fault", record.kind == FaultRecord::Kind::Hang ? "hang" : "crash"},
                                 {"message", headlineOf(record)},
                                 {"report", report}};
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeWhole(fd, line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
        ::close(fd);
    }
}

}  // namespace

void runFaultWatcher(int requests, int acknowledgements, pid_t host, const std::string& recordFile) {
    // Whoever reads the host's standard output waits for every writer to close it; the watcher has
    // nothing to say there. Ctrl-C at the terminal reaches the whole process group: the watcher
    // stays for as long as the host runs, and ends when the host's end of the pipe closes.
    const int nowhere = ::open("/dev/null", O_RDWR);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDIN_FILENO);
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(nowhere);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        ::signal(signal, SIG_IGN);
    }
    FaultRecord record;
    while (readWhole(requests, &record, sizeof record)) {
        const std::string report = reportOf(record, host);
        writeWhole(STDERR_FILENO, report);
        if (!recordFile.empty()) {
            appendRecord(recordFile, record, report);
        }
        const char done = 1;
        (void)::write(acknowledgements, &done, 1);
    }
    // Nothing of the host's clean-up runs here: it is the host's.
    ::_exit(0);
}

}  // namespace host::detail
