// The program's own process as the platform hands it over: its standard streams, the signals that
// would end it over a failed write, and where the program lives.
//
// Who calls what: the program, once at start-up, calls writeStandardStreamsVerbatim and
// reportFailedWritesAsErrors before it writes anything; the rest, any thread, any time.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Whether standard input is a person at a terminal (the console then shows a prompt).
bool standardInputIsTerminal();

// The keys that end input typed at a terminal, as the console tells a person: "Ctrl-D", or on
// Windows "Ctrl-Z then Enter".
extern const char* const kEndOfInputKeys;

// Makes standard output and standard error carry exactly the bytes the host writes, so a script's
// transcript is the same file on every platform (Windows' C runtime would otherwise write "\r\n"
// for each "\n").
void writeStandardStreamsVerbatim();

// Writing to a closed pipe (SIGPIPE) or past the file-size limit (SIGXFSZ) ends a POSIX process by
// default; the host wants those writes to fail with an error it can report, and to keep its state.
// Nothing to do on Windows, which reports them as errors already.
void reportFailedWritesAsErrors();

// SIGINT (Ctrl-C) and SIGTERM, caught instead of ending the process at once: the host stops the way
// its own ending does, so the settings and the console's history are saved, and exits with 128 and
// the signal's number (130, 143). Caught by the main thread alone (other threads of the host keep
// them off, keepStopSignalsOff; one taken by a thread the host did not start, a plug-in's, is passed
// on to the main thread), so that a blocking read of the console's is interrupted. On Windows,
// Ctrl-C only.
// [main thread, at start-up, before any other thread starts]
void catchStopSignals();
// [any thread] The stop signal caught and not taken yet, or 0.
int pendingStopSignal();
// [main thread] Takes the pending stop signal: the console takes a Ctrl-C at its prompt as the end
// of the line being typed, as shells do, and goes on.
void takeStopSignal();
// [a thread of the host's own, as it starts] Leaves the stop signals to the main thread.
void keepStopSignalsOff();
// [main thread, POSIX] Waits until `descriptor` has input (or its end, or an error) to read: true;
// or until a stop signal is caught: false, also for one caught before the wait began, which a
// blocking read would leave waiting for the next key.
bool awaitInputOrStopSignal(int descriptor);

// What the process holds right now, for the checks that a plug-in gives back what it takes. -1
// where the platform cannot tell.
struct ProcessCounts {
    long threads = -1;
    long openFiles = -1;          // open file descriptors (POSIX) or handles (Windows)
    long residentKilobytes = -1;  // resident memory
};
// [any thread]
ProcessCounts processCounts();

// [any thread] Bytes the C allocator has handed out and not been given back, all threads together;
// -1 where the allocator cannot say (anything but glibc's).
long long heapBytesInUse();

// [any thread] Whether heapBytesInUse() moves only with what is in use: the process was started
// with ChildHeap::Exact (child_process.h) on an allocator that tells.
bool heapCountsExact();

// The glibc tunable by which a child started with ChildHeap::Exact keeps no freed blocks per thread.
inline constexpr std::string_view kNoThreadCache = "glibc.malloc.tcache_count=0";

// The directory of the running executable, without a trailing separator, written the way the
// platform writes paths (on Windows with backslashes only); "." if unknown.
std::string executableDirectory();

// The separator the platform writes between a directory and a file name: '/' or '\\'. The host
// joins paths it builds itself with it, so a path it prints never mixes separators.
extern const char kPathSeparator;

}  // namespace host
