// Crash and hang reports on Windows: an unhandled exception filter, which the system calls on the
// faulting thread, and the watch over hangs, which stops the stuck thread to read where it is.
// Frames are walked with the system's unwind tables (RtlVirtualUnwind) and named by module and
// offset: the MinGW-w64 build's symbols are DWARF, which the system cannot read.
//
// The filter writes with fixed buffers and WriteFile: the faulting thread may hold the heap's lock.
// A report is put together in one buffer, then written to standard error and, in a check's process,
// to the check's records as a JSON line.
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fault_reports.h"
#include "pluginsdk/plugin_call.h"

namespace host::detail {
namespace {

volatile LONG reportingThread = 0;  // the thread whose fault reports, once one does
HANDLE recordFile = INVALID_HANDLE_VALUE;

// The report being put together; only the first fault reports, so one buffer serves.
char report[16384];
std::size_t reportLength = 0;
char headline[512];  // its first line, without "quorvel-host: " and the line's end

void writeText(const char* text) {
    const std::size_t length = std::strlen(text);
    const std::size_t room = sizeof report - 1 - reportLength;
    std::memcpy(report + reportLength, text, length < room ? length : room);
    reportLength += length < room ? length : room;
}

void writeTo(HANDLE file, const char* bytes, std::size_t length) {
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(length), &written, nullptr);
}

// `text` as a JSON string, quoted, into `to` (cut short to fit).
std::size_t jsonString(char* to, std::size_t size, const char* text) {
    std::size_t at = 0;
    const auto put = [&](const char* piece) {
        for (; *piece != '\0' && at + 1 < size; ++piece) {
            to[at++] = *piece;
        }
    };
    put("\"");
    for (; *text != '\0' && at + 8 < size; ++text) {
        const auto byte = static_cast<unsigned char>(*text);
        char escaped[8] = {static_cast<char>(byte), '\0'};
        if (byte == '"' || byte == '\\') {
            escaped[0] = '\\';
            escaped[1] = static_cast<char>(byte);
            escaped[2] = '\0';
        } else if (byte < 0x20 || byte >= 0x7f) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
        }
        put(escaped);
    }
    put("\"");
    to[at] = '\0';
    return at;
}

// Writes the report to standard error, and to the check's records if this is a check's process.
void finishReport(bool hang) {
    writeTo(GetStdHandle(STD_ERROR_HANDLE), report, reportLength);
    if (recordFile == INVALID_HANDLE_VALUE) {
        return;
    }
    report[reportLength] = '\0';
    static char line[sizeof report * 6 + sizeof headline * 6 + 64];
    std::size_t at = 0;
    const auto put = [&](const char* piece) {
        const std::size_t length = std::strlen(piece);
        std::memcpy(line + at, piece, length);
        at += length;
    };
    put(hang ? "{\"fault\":\"hang\",\"message\":" : "{\"fault\":\"crash\",\"message\":");
    at += jsonString(line + at, sizeof line - at, headline);
    put(",\"report\":");
    at += jsonString(line + at, sizeof line - at - 3, report);
    put("}\n");
    writeTo(recordFile, line, at);
}

void writeFrame(int index, DWORD64 address) {
    char line[MAX_PATH + 96];
    HMODULE module = nullptr;
    char path[MAX_PATH] = "";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(address), &module) &&
        GetModuleFileNameA(module, path, sizeof path) > 0) {
        const char* name = std::strrchr(path, '\\');
        std::snprintf(line, sizeof line, "  #%d  0x%016llx (%s+0x%llx)\n", index, static_cast<unsigned long long>(address),
                      name != nullptr ? name + 1 : path,
                      static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
    } else {
        std::snprintf(line, sizeof line, "  #%d  0x%016llx\n", index, static_cast<unsigned long long>(address));
    }
    writeText(line);
}

// The frames from `context` outwards, innermost first.
void writeFrames(CONTEXT context) {
    for (int index = 0; index < 64 && context.Rip != 0; ++index) {
        writeFrame(index, context.Rip);
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            // A leaf function: its return address is on top of the stack.
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        PVOID handlerData = nullptr;
        DWORD64 establisherFrame = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                         &establisherFrame, nullptr);
    }
}

// Lets the first thread that faults report, and keeps any other waiting for the process to end. The
// reporting thread itself faulting again (the report crashed) ends the process at once: it would
// otherwise wait for itself.
void waitForTheFirstReport() {
    const auto self = static_cast<LONG>(GetCurrentThreadId());
    const LONG first = InterlockedCompareExchange(&reportingThread, self, 0);
    if (first == 0) {
        return;
    }
    if (first == self) {
        writeText("quorvel-host: the crash report itself crashed (a fault of quorvel-host itself; please report it)\n");
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kHostCrashedStatus));
    }
    for (;;) {
        Sleep(INFINITE);
    }
}

// Reports a crash of the calling thread, `what` being the signal or exception, with the frames from
// `context` outwards; then ends the process.
[[noreturn]] void reportCrash(const char* what, const CONTEXT& context) {
    waitForTheFirstReport();
    const pluginsdk::PluginCall* call = pluginsdk::currentPluginCall();
    char plugin[128];
    char entryPoint[64];
    copyPrintable(plugin, sizeof plugin, call != nullptr ? call->pluginName : "");
    copyPrintable(entryPoint, sizeof entryPoint, call != nullptr ? pluginsdk::entryPointName(call->entryPoint) : "");
    char line[512];
    if (call != nullptr) {
        std::snprintf(headline, sizeof headline, "the plug-in %s crashed in its %s: %s", plugin, entryPoint, what);
    } else {
        std::snprintf(headline, sizeof headline, "quorvel-host crashed in its own code, not in a plug-in's: %s", what);
    }
    std::snprintf(line, sizeof line, "quorvel-host: %s\n", headline);
    writeText(line);
    writeText("quorvel-host: backtrace of the crashed thread, innermost first:\n");
    writeFrames(context);
    const int status = call != nullptr ? kPluginCrashedStatus : kHostCrashedStatus;
    std::snprintf(line, sizeof line, "quorvel-host: exits with status %d (%s)\n", status,
                  call != nullptr ? "a plug-in crashed" : "a fault of quorvel-host itself; please report it");
    writeText(line);
    finishReport(false);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    for (;;) {
        Sleep(INFINITE);
    }
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    const unsigned long long address =
        record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2
            ? static_cast<unsigned long long>(record.ExceptionInformation[1])
            : reinterpret_cast<unsigned long long>(record.ExceptionAddress);
    char what[96];
    std::snprintf(what, sizeof what, "exception 0x%08lx at address 0x%016llx", static_cast<unsigned long>(record.ExceptionCode),
                  address);
    reportCrash(what, *exception->ContextRecord);
}

// The C runtime's abort() ends the process through SIGABRT, not through an exception, so without
// this a plug-in's abort() (a failed assert, std::terminate) would end the host with no word.
// abort() raises SIGABRT before it says anything itself; the handler never returns to it.
void onRuntimeSignal(int /*signal*/) {
    CONTEXT context{};
    RtlCaptureContext(&context);
    reportCrash("SIGABRT (abort), raised by the thread itself", context);
}

// Windows has no fork, so no process of the host's outlives it to report how it ended, as on POSIX
// systems (fault_reports_posix.cpp): a parent process would mean starting the program twice, with
// its standard streams and console handed through, for every run. What the process can see of its
// own end it reports itself: exit() called in a plug-in call runs this handler first (registered
// last), which names the plug-in and ends the host with the status of a plug-in's fault. ExitProcess,
// TerminateProcess or _exit called by plug-in code end the host unreported, with the plug-in's status.
void onExitInPluginCall() {
    const pluginsdk::PluginCall* call = pluginsdk::currentPluginCall();
    if (call == nullptr) {
        return;
    }
    char plugin[128];
    char entryPoint[64];
    copyPrintable(plugin, sizeof plugin, call->pluginName);
    copyPrintable(entryPoint, sizeof entryPoint, pluginsdk::entryPointName(call->entryPoint));
    std::snprintf(headline, sizeof headline, "the plug-in %s ended the host in its %s: exit", plugin, entryPoint);
    char line[sizeof headline + 128];
    std::snprintf(line, sizeof line, "quorvel-host: %s\nquorvel-host: exits with status %d (a plug-in ended the host)\n",
                  headline, kPluginCrashedStatus);
    std::fflush(nullptr);
    writeText(line);
    finishReport(false);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kPluginCrashedStatus));
}

}  // namespace

void startCrashReports(const std::string& recordFileName) {
    if (!recordFileName.empty()) {
        // Opened now: at a fault, opening a file may wait for locks the faulting thread holds.
        recordFile = CreateFileA(recordFileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::atexit(onExitInPluginCall);
    // No system dialog for a crash: the report is the answer.
    SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    SetUnhandledExceptionFilter(onUnhandledException);
    // Only SIGABRT: with a handler for SIGSEGV, SIGFPE or SIGILL the runtime would turn the
    // matching exceptions into that signal, losing the faulting address.
    std::signal(SIGABRT, onRuntimeSignal);
}

void reportHungThread(std::uint64_t thread, double pluginTimeoutSeconds) {
    waitForTheFirstReport();
    char line[512];
    HANDLE stuck = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, static_cast<DWORD>(thread));
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    const bool stopped = stuck != nullptr && SuspendThread(stuck) != static_cast<DWORD>(-1) &&
                         GetThreadContext(stuck, &context) != 0;
    // Stopped, the thread's innermost plug-in call stays where it is while it is read.
    const pluginsdk::PluginCall* call = stopped ? pluginsdk::innermostCallOf(thread) : nullptr;
    char plugin[128];
    char entryPoint[64];
    copyPrintable(plugin, sizeof plugin, call != nullptr ? call->pluginName : "a plug-in");
    copyPrintable(entryPoint, sizeof entryPoint, call != nullptr ? pluginsdk::entryPointName(call->entryPoint) : "call");
    std::snprintf(headline, sizeof headline, "the plug-in %s did not return from its %s within %g s (--plugin-timeout)",
                  plugin, entryPoint, pluginTimeoutSeconds);
    std::snprintf(line, sizeof line, "quorvel-host: %s\n", headline);
    writeText(line);
    // A thread stuck in a module's static set-up holds the system's loader lock, which naming or
    // unwinding a frame would wait for: only where it is, by address.
    const bool inLoader = call != nullptr && call->entryPoint == pluginsdk::EntryPoint::StaticSetUp;
    if (stopped && inLoader) {
        std::snprintf(line, sizeof line, "quorvel-host: its thread is at 0x%016llx, inside the system's loader\n",
                      static_cast<unsigned long long>(context.Rip));
        writeText(line);
    } else if (stopped) {
        writeText("quorvel-host: where its thread is, innermost first:\n");
        writeFrames(context);
    }
    std::snprintf(line, sizeof line, "quorvel-host: exits with status %d (a plug-in hung)\n", kPluginHungStatus);
    writeText(line);
    finishReport(true);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kPluginHungStatus));
    for (;;) {
        Sleep(INFINITE);
    }
}

}  // namespace host::detail
