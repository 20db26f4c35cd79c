#include "plugin_call.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <mutex>

#include <pthread.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

#include "host_environment.h"
#include "shared_call_record.h"
#include "world.h"

namespace pluginsdk {
namespace {

// What the host's watch over hangs sees of one thread. Only the owning thread writes it.
struct ThreadCalls {
    std::uint64_t thread = 0;  // 0 once its thread has ended: the entry is free for the next thread
    std::atomic<std::uint64_t> outermostCall{0};  // 0 while no plug-in call runs
    // Released by the owning thread once the call it points to is filled in, so the watch reads
    // the call whole.
    std::atomic<const PluginCall*> innermostCall{nullptr};
    std::uint64_t callsMade = 0;
    int depth = 0;
    // What the host's supervisor sees of this thread's calls (shared_call_record.h).
    SharedCallRecord::ThreadSlot* shared = nullptr;
    void* alternateStack = nullptr;  // the alternate signal stack the host gave the thread, if it did
    ThreadCalls* next = nullptr;  // the list of every thread's, under everyThreadMutex
};

std::atomic<PluginCallObserver> observer{nullptr};

// Listed for the life of the process, never freed, since the watch over hangs may read an entry at
// any time: an entry whose thread has ended is taken by the next thread that runs plug-in code, so
// the list is as long as the most threads that ran plug-in code at once.
std::mutex everyThreadMutex;
ThreadCalls* everyThread = nullptr;

// Initial-exec: the SDK library is loaded with the program, so these are reached straight from the
// thread pointer, without a call, also from a signal handler.
#if defined(__ELF__)
#define PLUGINSDK_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec")))
#else
#define PLUGINSDK_FAST_THREAD_LOCAL
#endif
constinit thread_local const PluginCall* innermostCall PLUGINSDK_FAST_THREAD_LOCAL = nullptr;
constinit thread_local ThreadCalls* threadCalls PLUGINSDK_FAST_THREAD_LOCAL = nullptr;

// A signal that plug-in code raises by overflowing its stack finds no stack to run its handler on;
// an alternate one, set once per thread, takes it. Returns the stack given, null if none was.
void* giveAlternateSignalStack() {
#if !defined(_WIN32)
    constexpr std::size_t kSize = 64 * 1024;
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) {
        return nullptr;  // the thread has one (a sanitizer's runtime gives each thread its own)
    }
    stack_t alternate{};
    alternate.ss_sp = std::malloc(kSize);
    alternate.ss_size = kSize;
    if (alternate.ss_sp != nullptr && sigaltstack(&alternate, nullptr) != 0) {
        std::free(alternate.ss_sp);
        return nullptr;
    }
    return alternate.ss_sp;
#else
    return nullptr;
#endif
}

// Gives back what a thread was given as it ends (a host's game and render threads come and go with
// each load): the destructor of a key, handed the entry itself, for the reason giveSlotBack
// (shared_call_record.cpp) gives. A thread that ends inside a plug-in call keeps its entry, which
// the watch over hangs goes on reporting.
void giveEntryBack(void* taken) {
    auto* calls = static_cast<ThreadCalls*>(taken);
    if (calls->depth != 0) {
        return;
    }
#if !defined(_WIN32)
    if (calls->alternateStack != nullptr) {
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        if (sigaltstack(&off, nullptr) == 0) {
            std::free(calls->alternateStack);
        }
        calls->alternateStack = nullptr;
    }
#endif
#if defined(__ELF__)
    // Static thread-local storage outlives the key's destructors; a call made after this one (from
    // another key's destructor) registers the thread again. MinGW's emulated one may be gone.
    threadCalls = nullptr;
#endif
    const std::lock_guard lock(everyThreadMutex);
    calls->thread = 0;
}

pthread_key_t entryKey() {
    static const pthread_key_t key = [] {
        pthread_key_t created{};
        ::pthread_key_create(&created, giveEntryBack);
        return created;
    }();
    return key;
}

[[gnu::noinline]] ThreadCalls& registerThread() {
#if defined(_WIN32)
    const auto thread = static_cast<std::uint64_t>(GetCurrentThreadId());
#else
    const auto thread = static_cast<std::uint64_t>(pthread_self());
#endif
    ThreadCalls* calls = nullptr;
    {
        const std::lock_guard lock(everyThreadMutex);
        for (ThreadCalls* entry = everyThread; entry != nullptr && calls == nullptr; entry = entry->next) {
            calls = entry->thread == 0 ? entry : nullptr;
        }
        if (calls == nullptr) {
            calls = new ThreadCalls;
            calls->next = everyThread;
            everyThread = calls;
        }
        calls->thread = thread;  // its count of calls goes on, so that a call's number stays its own
    }
    calls->alternateStack = giveAlternateSignalStack();
    calls->shared = &detail::claimThreadSlot();
    ::pthread_setspecific(entryKey(), calls);
    threadCalls = calls;
    return *calls;
}

struct EntryPointFacts {
    const char* name;
    CallingThread thread;
};

// In the order of EntryPoint.
constexpr EntryPointFacts kEntryPoints[] = {
    {"static set-up", CallingThread::Loader},
    {"getPlugin", CallingThread::Loader},
    {"onLoad", CallingThread::Loader},
    {"onUnload", CallingThread::Loader},
    {"deleteMe", CallingThread::Loader},
    {"static clean-up", CallingThread::Loader},
    {"hook", CallingThread::Game},
    {"timer", CallingThread::Game},
    {"hook's destructor", CallingThread::GameOrLoader},
    {"timer's destructor", CallingThread::GameOrLoader},
    {"AttachImGuiContext", CallingThread::Render},
    {"GetDisplayName", CallingThread::Render},
    {"DrawSettingsPanel", CallingThread::Render},
};
static_assert(std::size(kEntryPoints) == static_cast<std::size_t>(EntryPoint::DrawSettingsPanel) + 1);

}  // namespace

const char* entryPointName(EntryPoint entryPoint) {
    return kEntryPoints[static_cast<std::size_t>(entryPoint)].name;
}

CallingThread callingThread(EntryPoint entryPoint) {
    return kEntryPoints[static_cast<std::size_t>(entryPoint)].thread;
}

const PluginCall* currentPluginCall() {
    return innermostCall;
}

PluginCallScope::PluginCallScope(const PluginCall& call) : call_(call) {
    call_.outer = innermostCall;
    innermostCall = &call_;
    ThreadCalls* calls = threadCalls;
    if (calls == nullptr) [[unlikely]] {
        calls = &registerThread();
    }
    calls->innermostCall.store(&call_, std::memory_order_release);
    if (calls->depth++ == 0) {
        calls->outermostCall.store(++calls->callsMade, std::memory_order_relaxed);
    }
    calls->shared->plugin.store(call_.plugin, std::memory_order_relaxed);
    calls->shared->entryPoint.store(entryPointName(call_.entryPoint), std::memory_order_relaxed);
    calls->shared->depth.store(static_cast<std::uint32_t>(calls->depth), std::memory_order_relaxed);
    if (const PluginCallObserver observe = observer.load(std::memory_order_acquire)) [[unlikely]] {
        observe(call_);
    }
}

void observePluginCalls(PluginCallObserver callObserver) {
    observer.store(callObserver, std::memory_order_release);
}

PluginCallScope::~PluginCallScope() {
    // Still marked as the call: what it left changed is named after it.
    detail::restoreAfterPluginCall(call_);
    innermostCall = call_.outer;
    ThreadCalls* calls = threadCalls;
    calls->innermostCall.store(call_.outer, std::memory_order_release);
    if (--calls->depth == 0) {
        calls->outermostCall.store(0, std::memory_order_relaxed);
    } else {
        calls->shared->plugin.store(call_.outer->plugin, std::memory_order_relaxed);
        calls->shared->entryPoint.store(entryPointName(call_.outer->entryPoint), std::memory_order_relaxed);
    }
    calls->shared->depth.store(static_cast<std::uint32_t>(calls->depth), std::memory_order_relaxed);
}

std::vector<CallInFlight> callsInFlight() {
    std::vector<CallInFlight> inFlight;
    const std::lock_guard lock(everyThreadMutex);
    for (const ThreadCalls* calls = everyThread; calls != nullptr; calls = calls->next) {
        if (const std::uint64_t call = calls->outermostCall.load(std::memory_order_relaxed); call != 0) {
            inFlight.push_back({calls->thread, call});
        }
    }
    return inFlight;
}

const PluginCall* innermostCallOf(std::uint64_t thread) {
    const std::lock_guard lock(everyThreadMutex);
    for (const ThreadCalls* calls = everyThread; calls != nullptr; calls = calls->next) {
        if (calls->thread == thread) {
            return calls->innermostCall.load(std::memory_order_acquire);
        }
    }
    return nullptr;
}

std::time_t pluginsdkModuleTime(std::time_t* out) {
    std::optional<std::int64_t> fixed;
    if (const PluginCall* call = innermostCall; call != nullptr && call->world != nullptr) {
        fixed = call->world->runtimeClock();
    }
    const std::time_t now = fixed ? static_cast<std::time_t>(*fixed)
                                  : static_cast<std::time_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                                                 std::chrono::system_clock::now().time_since_epoch())
                                                                 .count());
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

}  // namespace pluginsdk
