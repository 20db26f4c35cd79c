// Children on POSIX systems: posix_spawn in a process group of their own (so that the child's
// fault watcher and any process it forked stop with it), one pipe for both output streams, poll.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

#include "child_process.h"
#include "process.h"

extern char** environ;

namespace host {
namespace {

void keepTail(std::string& output, const char* bytes, std::size_t count) {
    output.append(bytes, count);
    if (output.size() > 2 * kKeptOutput) {
        output.erase(0, output.size() - kKeptOutput);
    }
}

// The environment with glibc told to keep no freed blocks per thread, after any tunables it has.
std::vector<std::string> environmentForExactHeap() {
    std::vector<std::string> variables;
    std::string tunables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view text(*variable);
        if (text.rfind("GLIBC_TUNABLES=", 0) == 0) {
            tunables = std::string(text.substr(15)) + ":";
        } else {
            variables.emplace_back(text);
        }
    }
    variables.push_back("GLIBC_TUNABLES=" + tunables + std::string(kNoThreadCache));
    return variables;
}

}  // namespace

ChildRun runChild(const std::string& program, const std::vector<std::string>& arguments, double limitSeconds,
                  ChildHeap heap) {
    using Clock = std::chrono::steady_clock;
    ChildRun run;
    const Clock::time_point started = Clock::now();
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        run.output = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGPIPE, SIGXFSZ}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const std::vector<std::string> exactHeap =
        heap == ChildHeap::Exact ? environmentForExactHeap() : std::vector<std::string>();
    std::vector<char*> envp;
    for (const std::string& variable : exactHeap) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(),
                                    heap == ChildHeap::Exact ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        run.output = "cannot start " + program + ": " + std::strerror(spawned);
        return run;
    }

    const Clock::time_point deadline =
        started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limitSeconds));
    bool timedOut = false;
    char buffer[8192];
    for (;;) {
        int waitMilliseconds = -1;
        if (limitSeconds > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMilliseconds = static_cast<int>(std::max<long long>(0, left));
        }
        pollfd readable{pipe[0], POLLIN, 0};
        const int ready = ::poll(&readable, 1, waitMilliseconds);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            // Time is up: the child, and what it started, in its process group.
            timedOut = true;
            ::kill(-child, SIGKILL);
            break;
        }
        const ssize_t count = ::read(pipe[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;  // every writer has closed: the child and whatever it left behind are done
        }
        keepTail(run.output, buffer, static_cast<std::size_t>(count));
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (run.output.size() > kKeptOutput) {
        run.output.erase(0, run.output.size() - kKeptOutput);
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (timedOut) {
        run.ending = ChildRun::Ending::TimedOut;
    } else if (WIFSIGNALED(status)) {
        run.ending = ChildRun::Ending::Signalled;
        run.status = WTERMSIG(status);
    } else {
        run.ending = ChildRun::Ending::Exited;
        run.status = WEXITSTATUS(status);
    }
    return run;
}

std::string executablePath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string("quorvel-host");
}

}  // namespace host
