#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "process.h"

namespace host {

const char kPathSeparator = '\\';
const char* const kEndOfInputKeys = "Ctrl-Z then Enter";

bool standardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

void writeStandardStreamsVerbatim() {
    // Standard input stays in text mode, so scripts and console input written with "\r\n" line
    // ends read the same as with "\n".
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void recordStopSignal(int signal) {
    stopSignal = signal;
    std::signal(signal, recordStopSignal);  // the C runtime resets it for each signal
}

}  // namespace

void catchStopSignals() {
    std::signal(SIGINT, recordStopSignal);
}

int pendingStopSignal() {
    return stopSignal;
}

void takeStopSignal() {
    stopSignal = 0;
}

void keepStopSignalsOff() {
    // Windows runs a console's Ctrl-C handler on a thread of its own.
}

void reportFailedWritesAsErrors() {
    // Windows reports these failures as errors already.
}

std::string executableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A zero length is failure; a full buffer means the path was cut short.
    if (length == 0 || length == sizeof path) {
        return ".";
    }
    // Windows accepts either separator, and a program started by a path with forward slashes may
    // be told its own name that way; the host prints backslashes only.
    std::string executable(path, length);
    std::replace(executable.begin(), executable.end(), '/', '\\');
    const auto separator = executable.rfind('\\');
    return separator == std::string::npos ? "." : executable.substr(0, separator);
}

long long heapBytesInUse() {
    return -1;  // the C runtime's heap keeps no total of what is in use
}

bool heapCountsExact() {
    return false;
}

ProcessCounts processCounts() {
    ProcessCounts counts;
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles)) {
        counts.openFiles = static_cast<long>(handles);
    }
    PROCESS_MEMORY_COUNTERS memory{};
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
        counts.residentKilobytes = static_cast<long>(memory.WorkingSetSize / 1024);
    }
    HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (threads != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        long mine = 0;
        for (BOOL more = Thread32First(threads, &entry); more; more = Thread32Next(threads, &entry)) {
            mine += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
        }
        counts.threads = mine;
        CloseHandle(threads);
    }
    return counts;
}

}  // namespace host
