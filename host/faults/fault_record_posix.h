// What a thread that crashed or hung in plug-in code tells the fault watcher, in one write to a
// pipe: small enough (under PIPE_BUF) that the write is whole, and plain data, so a signal handler
// can fill it without allocating.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace host::detail {

struct FaultRecord {
    enum class Kind : std::uint32_t { Crash, Hang };
    Kind kind = Kind::Crash;
    std::int32_t signal = 0;          // the fatal signal (Crash)
    std::uint64_t address = 0;        // the faulting address (Crash)
    std::int32_t raised = 0;          // 1 if the signal was sent (raise, kill, abort), not a fault at an address
    pid_t thread = 0;                 // the kernel's id of the thread
    std::uint32_t inPluginCall = 0;   // 1 if plug-in code was running on the thread
    char plugin[128] = {};            // its name and entry point, NUL-terminated (cut short if long)
    char entryPoint[64] = {};
    std::uint32_t timeoutMilliseconds = 0;  // the plug-in timeout (Hang)
    std::uint32_t whereUnknown = 0;   // 1 for a hung thread that could not say where it is (no frames)
    std::uint32_t frames = 0;
    std::uint64_t instructions[64] = {};  // the innermost first; after the first, return addresses
};

// The supervisor's half (fault_watcher_posix.cpp): runs in the process the host was forked from,
// until the host ends. Reads records from `requests`, writes each report to standard error and the
// exit status the host is to end with, as a byte, to `acknowledgements`; passes signals on to the
// host and follows its stops; when the host ends, reports an end that plug-in code caused and the
// host could not (from `calls`, the memory they share) and ends with the host's status. Each report also goes to
// `recordFile` as a JSON line, unless it is empty.
[[noreturn]] void superviseHost(pid_t host, int requests, int acknowledgements, const std::string& recordFile);

}  // namespace host::detail
