// quorvel-host's peak memory does not grow with the number of touches a script makes: the same
// script with 10,000 touches and with many more reaches the same peak resident size, in every way
// the host can run it (one thread or separate threads; the plug-in switched on, switched off,
// logging the same line at every firing, or a different line at every firing).
//
// Each run is a child process (the program as a person runs it, output to /dev/null); its peak is
// the ru_maxrss that wait4 reports for that child alone. Peaks are compared, never times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "run_length.h"
#include "scratch_folder.h"
#include "whole_file.h"

namespace {

// The largest growth allowed between the two runs. Measured, the two peaks differ by up to about
// 300 kilobytes either way (the kernel's and the allocator's page-level noise).
constexpr long kAllowedGrowthKilobytes = 1024;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Under the sanitizers a touch costs tens of times as much, and their runtimes keep freed memory in
// quarantine and shadow, so the peak says nothing about the host's own growth. Those builds run
// every mode briefly, for the sanitizers' own checks (the leak checker fails the child at exit).
constexpr long kSmallTouches = 1000;
constexpr long kLargeTouchesOneThread = 20000;
constexpr long kLargeTouchesSeparateThreads = 20000;
constexpr bool kPeakMemoryMeaningful = false;
#else
// The growth the large run must show: on one thread, where a touch costs about two microseconds,
// 990,000 more touches, so that keeping even 2 bytes a touch (a growing array of them) adds 2 MB.
// Separate threads hand every line to the game thread and back, some fifty microseconds a touch:
// 90,000 more touches there, so that keeping one heap block a touch (glibc's smallest is 32 bytes),
// as a queue between the threads that never lets go would, adds 2.8 MB. Growth in the code both
// arrangements share shows on one thread at the finer grain.
constexpr long kSmallTouches = 10000;
constexpr long kLargeTouchesOneThread = 1000000;
constexpr long kLargeTouchesSeparateThreads = 100000;
constexpr bool kPeakMemoryMeaningful = true;
#endif

struct Mode {
    const char* name;
    const char* threads;   // --threads
    const char* settings;  // the plug-in's settings, before the first touch
    // The touches and what follows each: `touch 1 ...` then `wait 0.01`, so each response fires.
    bool differentLineEachFiring;
    // A line at the end showing the mode took its path: switched on keeps the spin a switched-off
    // response clears; the logging modes name their last line.
    const char* lastCheck;
};

const Mode kModes[] = {
    {"OneThreadSwitchedOn", "one", "quorvel_enabled_orange 1\nquorvel_trajectory 10\n", false,
     "expect magnus 0.5 0.5 0.5\n"},
    {"OneThreadSwitchedOff", "one", "quorvel_enabled_orange 0\n", false, "expect magnus 0 0 0\n"},
    {"OneThreadLogsEveryFiring", "one", "quorvel_enabled_orange 1\nquorvel_trajectory 0\n", false,
     "expect log Trajectory zero\n"},
    {"OneThreadLogsADifferentLineEachFiring", "one", "quorvel_enabled_orange 1\nquorvel_trajectory 10\n", true,
     "expect log Velocity component rounded to zero, velocity: (2.000000, 0.000000, 0.000000)\n"},
    {"SeparateThreadsSwitchedOn", "separate", "quorvel_enabled_orange 1\nquorvel_trajectory 10\n", false,
     "expect magnus 0.5 0.5 0.5\n"},
    {"SeparateThreadsSwitchedOff", "separate", "quorvel_enabled_orange 0\n", false, "expect magnus 0 0 0\n"},
    {"SeparateThreadsLogsEveryFiring", "separate", "quorvel_enabled_orange 1\nquorvel_trajectory 0\n", false,
     "expect log Trajectory zero\n"},
    {"SeparateThreadsLogsADifferentLineEachFiring", "separate",
     "quorvel_enabled_orange 1\nquorvel_trajectory 10\n", true,
     "expect log Velocity component rounded to zero, velocity: (2.000000, 0.000000, 0.000000)\n"},
};

// Test names and failure messages name the mode, not its bytes.
void PrintTo(const Mode& mode, std::ostream* out) {
    *out << mode.name;
}

// QUORVEL_MEMORY_TOUCHES=N makes the large run N touches, for a longer run by hand.
long largeTouches(const Mode& mode) {
    const long fallback =
        std::strcmp(mode.threads, "one") == 0 ? kLargeTouchesOneThread : kLargeTouchesSeparateThreads;
    const long touches = quorvel_test::countFromEnvironment("QUORVEL_MEMORY_TOUCHES", fallback);
    return touches > kSmallTouches ? touches : fallback;
}

// Writes the script for `touches` touches of the mode to `path`. A different line each firing: a
// component of 1 or 2 is too small to deflect, so the plug-in logs the velocity, 1 and 2 in turn.
void writeScript(const std::string& path, const Mode& mode, long touches) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "clock 1\nload\n" << mode.settings << "ball 1000 -500 200\nmagnus 0.5 0.5 0.5\n";
    for (long touch = 0; touch < touches; ++touch) {
        if (mode.differentLineEachFiring) {
            out << (touch % 2 == 0 ? "touch 1 1 0 0\n" : "touch 1 2 0 0\n");
        } else {
            out << "touch 1 1000 -500 200\n";
        }
        out << "wait 0.01\n";
    }
    out << mode.lastCheck;
    ASSERT_TRUE(out.flush()) << "cannot write " << path;
}

struct ChildRun {
    int status = -1;  // as waitpid reports it
    long peakKilobytes = 0;
};

// Runs quorvel-host with `arguments`, its output to /dev/null and its errors to `errorsPath`.
ChildRun runHost(const std::vector<std::string>& arguments, const std::string& errorsPath) {
    std::vector<char*> argv;
    std::string program = QUORVEL_HOST_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (devNull < 0 || errors < 0 || dup2(devNull, STDIN_FILENO) < 0 || dup2(devNull, STDOUT_FILENO) < 0 ||
            dup2(errors, STDERR_FILENO) < 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ChildRun run;
    if (child < 0) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    rusage usage{};
    if (wait4(child, &run.status, 0, &usage) != child) {
        ADD_FAILURE() << "cannot wait for " << program;
        return run;
    }
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

class PeakMemory : public testing::TestWithParam<Mode> {};

TEST_P(PeakMemory, StaysFlatAsTheTouchesGrow) {
    const Mode& mode = GetParam();
    const quorvel_test::ScratchFolder folder;
    long peaks[2] = {};
    const long counts[2] = {kSmallTouches, largeTouches(mode)};
    for (int i = 0; i < 2; ++i) {
        const std::string script = folder.file("touches-" + std::to_string(counts[i]));
        writeScript(script, mode, counts[i]);
        ASSERT_FALSE(HasFatalFailure());
        const std::string errors = folder.file("errors");
        const ChildRun run = runHost({"--threads", mode.threads, "run", script}, errors);
        ASSERT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0)
            << counts[i] << " touches: quorvel-host ended with status " << run.status << ":\n"
            << quorvel_test::readWholeFile(errors);
        peaks[i] = run.peakKilobytes;
    }
    std::printf("peak resident size: %ld kB after %ld touches, %ld kB after %ld touches\n", peaks[0], counts[0],
                peaks[1], counts[1]);
    if (kPeakMemoryMeaningful) {
        EXPECT_LE(peaks[1] - peaks[0], kAllowedGrowthKilobytes)
            << "peak resident size after " << counts[0] << " touches: " << peaks[0] << " kB, after " << counts[1]
            << " touches: " << peaks[1] << " kB";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMode, PeakMemory, testing::ValuesIn(kModes),
                         [](const testing::TestParamInfo<Mode>& mode) { return std::string(mode.param.name); });

}  // namespace
