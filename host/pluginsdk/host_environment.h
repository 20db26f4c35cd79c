// The host's own numbers environment on every one of its threads: the locale its text is read and
// written in, and the floating-point environment (rounding, flush-to-zero) its arithmetic runs in.
//
// Plug-in code runs on the host's threads and may change both: setlocale and std::locale::global
// are the process's, uselocale and the floating-point control words the thread's. So every thread
// of the host runs under a "C" locale of its own from its start (a plug-in's setlocale then reaches
// only threads that use the global locale, its own), and after each plug-in call the boundary puts
// the thread's back (restoreAfterPluginCall) and says so once (process_state.h). Host code that
// reads or writes numbers while plug-in code is on the stack (a registerCvar default, a value the
// panel writes) does it inside a HostNumberEnvironment.
#pragma once

#include "bakkesmod/sdk_export.h"

namespace pluginsdk {

struct PluginCall;

// [every thread of the host, as it starts; the main thread first, at start-up, before any plug-in
// code runs] Runs the thread under the host's "C" locale and its floating-point environment. The
// main thread's first call takes its floating-point environment as the host's.
PLUGINSDK_API void adoptHostEnvironment();

// [any thread, host code] For the life of the object the thread computes, reads and writes numbers
// in the host's environment; then it has the one it had again (plug-in code may be on the stack).
// Costs two reads of control registers where nothing differs.
class PLUGINSDK_API HostNumberEnvironment {
public:
    HostNumberEnvironment();
    ~HostNumberEnvironment();
    HostNumberEnvironment(const HostNumberEnvironment&) = delete;
    HostNumberEnvironment& operator=(const HostNumberEnvironment&) = delete;

private:
    unsigned sse_;
    unsigned short x87_;
    void* locale_;  // the thread's locale to give back, or null if it was the host's
};

namespace detail {
// [the thread of a plug-in call, as the call returns] Puts back what the call changed of the
// thread's environment (its locale, the floating-point control words) and of the process's that a
// watched import marked (process_state.h), telling the process-state listener once per plug-in,
// entry point and change. Some twenty instructions where nothing changed.
void restoreAfterPluginCall(const PluginCall& call);
// Puts the classic C++ global locale back if it is not, naming `call`.
void restoreClassicGlobalLocale(const PluginCall& call);
// The "C" locale as a locale_t (POSIX), made once; null elsewhere.
void* cLocale();
}  // namespace detail

}  // namespace pluginsdk
