// Another program run to its end, as the host runs itself for each check of `quorvel-host check`:
// its standard output and standard error into one pipe, in the order written, for at most a given
// time, after which the child and whatever it started are stopped.
//
// Threads: any thread; one call at a time per child.
#pragma once

#include <string>
#include <vector>

namespace host {

struct ChildRun {
    enum class Ending {
        Exited,       // `status` is its exit status
        Signalled,    // `status` is the signal that ended it (POSIX)
        TimedOut,     // stopped at the time limit
        NotStarted,   // `output` says why
    };
    Ending ending = Ending::NotStarted;
    int status = 0;
    std::string output;  // the last kKeptOutput bytes of what it wrote
    double seconds = 0.0;
};

// How much of a child's output is kept: the end of it, where its verdict and any report are.
inline constexpr std::size_t kKeptOutput = 256 * 1024;

// What the child's C allocator is to be, where the platform has a choice.
enum class ChildHeap {
    Usual,
    // No freed block kept back for its thread's reuse, so that the child's heapBytesInUse()
    // (process.h) counts only what is in use: glibc's per-thread cache counts as in use, and moves
    // by kilobytes from one moment to the next. Windows' allocator says nothing either way.
    Exact,
};

// Runs `program` with `arguments`, standard input empty. `limitSeconds` > 0 stops it then.
ChildRun runChild(const std::string& program, const std::vector<std::string>& arguments, double limitSeconds,
                  ChildHeap heap = ChildHeap::Usual);

// The running program's own file, to run it again.
std::string executablePath();

}  // namespace host
