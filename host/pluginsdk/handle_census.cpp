#include "handle_census.h"

#include <atomic>
#include <mutex>

namespace pluginsdk {
namespace {

// One thread's counts. Only the owning thread writes them; liveHandles() reads them from any
// thread, hence atomics, written with plain loads and stores (the owner is the only writer, so no
// read-modify-write instruction is needed).
struct ThreadCounts {
    std::atomic<std::int64_t> actors{0};
    std::atomic<std::int64_t> variables{0};
    ThreadCounts* next = nullptr;  // the list of every thread's counts, under censusMutex
};

using Counter = std::atomic<std::int64_t> ThreadCounts::*;

// The counts live on the heap, listed here for the life of the process, not in the thread's own
// storage: what a thread's handles add up to must outlive the thread, and nothing runs reliably
// at every thread's end on every platform (MinGW's thread-local clean-up runs in an order the
// counts could not rely on). The list grows by one small entry per thread that ever made a handle.
std::mutex censusMutex;
ThreadCounts* everyThread = nullptr;  // under censusMutex

// Initial-exec: the SDK library is loaded with the program, so its thread-local block is reached
// straight from the thread pointer, without a call per access.
#if defined(__ELF__)
#define PLUGINSDK_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec")))
#else
#define PLUGINSDK_FAST_THREAD_LOCAL
#endif
constinit thread_local ThreadCounts* threadCounts PLUGINSDK_FAST_THREAD_LOCAL = nullptr;

// A thread's first handle: its counts are made and listed.
[[gnu::noinline]] ThreadCounts& registerThread() {
    auto* counts = new ThreadCounts;
    {
        const std::lock_guard<std::mutex> lock(censusMutex);
        counts->next = everyThread;
        everyThread = counts;
    }
    threadCounts = counts;
    return *counts;
}

void count(Counter counter, int delta) {
    ThreadCounts* counts = threadCounts;
    if (counts == nullptr) [[unlikely]] {
        counts = &registerThread();
    }
    std::atomic<std::int64_t>& value = counts->*counter;
    value.store(value.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

}  // namespace

HandleCounts liveHandles() {
    const std::lock_guard<std::mutex> lock(censusMutex);
    HandleCounts sum;
    for (const ThreadCounts* counts = everyThread; counts != nullptr; counts = counts->next) {
        sum.actors += counts->actors.load(std::memory_order_relaxed);
        sum.variables += counts->variables.load(std::memory_order_relaxed);
    }
    return sum;
}

namespace detail {
void countActorHandle(int delta) {
    count(&ThreadCounts::actors, delta);
}
void countVariableHandle(int delta) {
    count(&ThreadCounts::variables, delta);
}
}  // namespace detail

}  // namespace pluginsdk
