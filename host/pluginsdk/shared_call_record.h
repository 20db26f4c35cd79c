// What the host's supervisor (host/faults: the process the user's shell waits on, of which the host
// is a child) must know to name a plug-in that ended the host without the host's word: the plug-in
// calls in flight on each thread, the plug-ins' names, the address ranges of every plug-in module
// ever loaded, and how the host last ended if plug-in code called exit.
//
// It lives in memory the host shares with its supervisor, mapped before the two became two. The
// boundary writes a call's plug-in and entry point with plain stores as the call starts and ends,
// no system call; the supervisor reads it once the host has ended, and the host's own reports read
// the module ranges in process. Without a supervisor the record is the host's alone.
//
// Entry points are written as pointers: they are texts of the host's own program and libraries,
// mapped at the same addresses in the supervisor, which reads them only where its own map says a
// loaded image lies. Plug-in names are copied, once per plug-in.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "bakkesmod/sdk_export.h"
#include "world_types.h"

namespace pluginsdk {

struct SharedCallRecord {
    static constexpr std::size_t kNameSize = 64;

    // One per thread that runs plug-in code; a thread's slot is free again once the thread ends.
    struct ThreadSlot {
        std::atomic<std::int32_t> thread{0};  // the kernel's id of the thread; 0: free
        std::atomic<std::uint32_t> depth{0};  // plug-in calls in flight on it
        std::atomic<PluginId> plugin{0};      // the innermost's
        std::atomic<const char*> entryPoint{nullptr};
    };
    struct PluginName {
        std::atomic<PluginId> plugin{0};  // 0: none; written after the name
        char name[kNameSize] = {};
    };
    // A module's image as it was mapped; `loaded` false once it was closed.
    struct ModuleRange {
        std::atomic<std::uint64_t> start{0};
        std::atomic<std::uint64_t> end{0};
        std::atomic<std::uint32_t> loaded{0};
        char name[kNameSize] = {};
    };
    // Written by the host as it ends through exit() or _exit() called by plug-in code.
    struct PluginExit {
        std::atomic<std::uint32_t> written{0};
        std::int32_t status = 0;
        char function[8] = {};  // "exit", "_exit"
        std::uint32_t inPluginCall = 0;  // 0: plug-in code outside any call (its own thread, say)
        char plugin[kNameSize] = {};
        char entryPoint[kNameSize] = {};
    };

    ThreadSlot threads[64];
    PluginName names[32];       // by PluginId, in turn
    ModuleRange modules[256];   // in turn; a module opened again at the same place takes its old entry
    std::atomic<std::uint32_t> modulesOpened{0};
    PluginExit exit;
    // Set as a sanitizer ends the host after its report (sanitizer builds): the report and the
    // sanitizer's status are the answer, whatever code was running.
    std::atomic<std::uint32_t> sanitizerEnded{0};
};

// What to map for it, whole pages.
inline constexpr std::size_t kSharedCallRecordMapping = (sizeof(SharedCallRecord) + 4095) & ~std::size_t{4095};

// The record the boundary writes to: shared once shareCallRecord was called, else the host's own.
PLUGINSDK_API SharedCallRecord& callRecord();

// [main thread, at start-up, before any plug-in call] Records calls in `record`, memory shared with
// the supervisor, from now on.
PLUGINSDK_API void shareCallRecord(SharedCallRecord* record);

// [the loader] A plug-in module's image, opened under the plug-in name `name` at [start, end); and
// closed. Blame for a fault at an address in it, even after it was closed, goes to that plug-in.
PLUGINSDK_API void recordModuleOpened(const std::string& name, std::uintptr_t start, std::uintptr_t end);
PLUGINSDK_API void recordModuleClosed(std::uintptr_t start);

// [any thread, also a signal handler] The name of the plug-in whose module holds `address` (one
// still loaded before one closed), or null.
PLUGINSDK_API const char* moduleHolding(std::uint64_t address, bool* stillLoaded = nullptr);

// [the thread that ends the host] Records that plug-in code ends the host through `function`
// ("exit") with `status`: in its call `entryPoint`, or outside any call (null). Signal-safe.
PLUGINSDK_API void recordPluginExit(const char* function, int status, const char* plugin, const char* entryPoint);

// [the supervisor] The name recorded for `plugin`, or null.
PLUGINSDK_API const char* recordedPluginName(const SharedCallRecord& record, PluginId plugin);

namespace detail {
// The calling thread's slot, claimed once, at its first plug-in call, and given back when the thread
// ends; a slot of no one's when all are taken.
SharedCallRecord::ThreadSlot& claimThreadSlot();
void recordPluginName(PluginId plugin, const std::string& name);
// [a forked child of the host, in its fork handler] Stops writing to the shared record.
void leaveSharedCallRecord();
}  // namespace detail

}  // namespace pluginsdk
