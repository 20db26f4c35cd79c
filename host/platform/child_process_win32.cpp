// Children on Windows: CreateProcess in a job of their own (so that whatever the child starts stops
// with it), one inherited pipe for both output streams, read while the child runs.
#include <windows.h>

#include <chrono>
#include <thread>

#include "child_process.h"

namespace host {
namespace {

// One argument as the C runtime's parser reads it back: quoted when it holds spaces or quotes,
// backslashes doubled before a quote.
std::string quotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + '"';
}

}  // namespace

ChildRun runChild(const std::string& program, const std::vector<std::string>& arguments, double limitSeconds,
                  ChildHeap /*heap*/) {
    using Clock = std::chrono::steady_clock;
    ChildRun run;
    const Clock::time_point started = Clock::now();
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        run.output = "cannot make a pipe (error " + std::to_string(GetLastError()) + ")";
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::string commandLine = quotedArgument(program);
    for (const std::string& argument : arguments) {
        commandLine += ' ' + quotedArgument(argument);
    }
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    PROCESS_INFORMATION process{};
    const BOOL created = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!created) {
        run.output = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
        CloseHandle(readEnd);
        CloseHandle(job);
        return run;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    bool timedOut = false;
    char buffer[8192];
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr)) {
            break;  // every writer has closed
        }
        if (waiting > 0) {
            DWORD count = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) || count == 0) {
                break;
            }
            run.output.append(buffer, count);
            if (run.output.size() > 2 * kKeptOutput) {
                run.output.erase(0, run.output.size() - kKeptOutput);
            }
            continue;
        }
        if (limitSeconds > 0 && std::chrono::duration<double>(Clock::now() - started).count() >= limitSeconds) {
            timedOut = true;
            TerminateJobObject(job, 1);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    CloseHandle(job);
    if (run.output.size() > kKeptOutput) {
        run.output.erase(0, run.output.size() - kKeptOutput);
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.ending = timedOut ? ChildRun::Ending::TimedOut : ChildRun::Ending::Exited;
    run.status = static_cast<int>(status);
    return run;
}

std::string executablePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string("quorvel-host.exe");
}

}  // namespace host
