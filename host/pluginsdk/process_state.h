// What plug-in code may change of the process it shares with the host, and what the host does about
// it: the host puts its own back and says so once per plug-in, entry point and change, as a warning.
//
//   - its thread's locale and the floating-point control words: looked at after every plug-in call
//     (host_environment.h), where reading them costs a few instructions;
//   - the C++ global locale: reading it costs four calls into the C++ library, some 50 instructions,
//     after every call (a touch makes three): so it is watched like the signals, below;
//   - the handling of signals and the working directory: reading them takes system calls, too dear
//     after every hook and timer (a touch makes three plug-in calls). So the module's own imports of
//     the functions that change them (signal, sigaction, chdir, fchdir, std::locale::global) are
//     pointed at the host's
//     (watchedImports), which call the real ones and leave a mark that the boundary looks at after
//     the call, a load; and after each of a module's loading and unloading entry points, whose cost
//     nobody counts, the host looks at them itself (verifyProcessState), which also catches changes
//     made some other way (by a library the module brought, or its static set-up, which runs before
//     its imports can be pointed anywhere);
//   - a fork: the child of a plug-in's fork that returns into the host's code ends there, with a
//     line naming the plug-in; the host goes on in the original process. A fork that execs is the
//     plug-in's business and never comes back;
//   - SIGINT and SIGTERM raised by plug-in code (raise, pthread_kill) on a thread that keeps them
//     blocked would stay pending there for ever: the watched raise sends them to the process, whose
//     main thread takes them the documented way;
//   - _exit and _Exit end the process without a word from it: the watched ones write the plug-in
//     down for the host's supervisor first (shared_call_record.h), even from a thread of its own.
//
// The host's signal handlers and working directory are the ones in place when keepProcessState is
// called. Paths do not depend on the working directory at all: the host resolves them against the
// one it started in (platform/files.h), so a plug-in's chdir is only named.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

struct PluginCall;

enum class ProcessStateChange { Locale, CxxLocale, FloatingPoint, SignalHandling, WorkingDirectory };

struct ProcessStateReport {
    std::string pluginName;
    std::string entryPoint;
    ProcessStateChange change;
    std::string detail;  // what exactly: "SIGPIPE", "MXCSR 0x7fc0, ..."; may be empty
};

// "the plug-in NAME's ENTRY changed ...; the host put its own back", for a warning.
PLUGINSDK_API std::string describe(const ProcessStateReport& report);

// [host's start-up, or a check] Called once per plug-in, entry point and change, on the thread of
// the call, after the host put its own back; null: none. Returns the one it replaces.
using ProcessStateListener = void (*)(const ProcessStateReport& report);
PLUGINSDK_API ProcessStateListener listenForProcessStateChanges(ProcessStateListener listener);

// [main thread, at start-up, once the host's signal handlers are in place and before any plug-in
// code runs] Takes the signal handling and the working directory as the host's, and marks the
// children of plug-in forks from now on.
PLUGINSDK_API void keepProcessState();

// [the loader, after each call of a module's loading or unloading entry points] Puts back the
// host's handling of its signals where `call` changed it, and names a change of the working
// directory. Does nothing before keepProcessState.
PLUGINSDK_API void verifyProcessState(const PluginCall& call);

// [a check, before plug-in code runs] Follows every fork plug-in code makes from now on, so that
// pluginForksThatCameBack can tell a child that came back into the host's code from one that
// execed or ended. (The host itself does not: it ends such a child as it comes back.)
PLUGINSDK_API void followPluginForks();
// [a check, after plug-in code ran] How many of the forks followed since the last call had a child
// that came back into the host's code; waits for each child to come back, exec or end.
PLUGINSDK_API int pluginForksThatCameBack();
// [a check, as a session of its begins] Tells the listener again of changes it was told of before.
PLUGINSDK_API void forgetToldProcessStateChanges();
// [a check] The last SIGINT or SIGTERM plug-in code raised (raise, pthread_kill) since the last
// call, which ends the host; 0 if none.
PLUGINSDK_API int takeStopSignalRaisedByPlugin();

// The imports of a module that the host points at its own functions (DynamicLibrary::redirectImport),
// by name. Empty where the platform has none to watch.
struct WatchedImport {
    const char* name;
    void* replacement;
};
PLUGINSDK_API const std::vector<WatchedImport>& watchedImports();

namespace detail {
// Marks the watched imports and a fork leave for the boundary to look at, one load per call.
enum TouchedState : unsigned { kTouchedSignals = 1, kTouchedDirectory = 2, kForked = 4, kTouchedCxxLocale = 8 };
extern std::atomic<unsigned> processStateTouched;
// [the thread of a plug-in call, as it returns, when processStateTouched is not 0] Ends the child
// of a fork the call made; puts back what a watched import changed.
void noteWhatThePluginCallTouched(const PluginCall& call);
// Tells the listener, once per plug-in, entry point and change.
void noteProcessStateChange(const PluginCall& call, ProcessStateChange change, const std::string& detail);
}  // namespace detail

}  // namespace pluginsdk
