#include "handle_census.h"

#include <atomic>
#include <mutex>

namespace pluginsdk {
namespace {

enum class ThreadState : unsigned char { New, Counting, Ended };

// One thread's counts. Only the owning thread writes them; liveHandles() reads them from any
// thread, hence atomics, written with plain loads and stores (the owner is the only writer, so
// no read-modify-write instruction is needed).
struct ThreadCounts {
    std::atomic<std::int64_t> actors{0};
    std::atomic<std::int64_t> variables{0};
    ThreadState state = ThreadState::New;
    ThreadCounts* next = nullptr;  // the list of living threads' counts, under censusMutex
    ThreadCounts* previous = nullptr;
};

using Counter = std::atomic<std::int64_t> ThreadCounts::*;
using Total = std::int64_t HandleCounts::*;

// Every member is trivially destructible, so the counts need no clean-up of their own at thread
// exit, and the main thread's stay readable during static destruction.
std::mutex censusMutex;
ThreadCounts* livingThreads = nullptr;  // under censusMutex
HandleCounts endedThreads;               // what threads that have ended left, under censusMutex

// Initial-exec: the SDK library is loaded with the program, so its thread-local block is reached
// straight from the thread pointer, without a call per access.
#if defined(__ELF__)
#define PLUGINSDK_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec")))
#else
#define PLUGINSDK_FAST_THREAD_LOCAL
#endif
constinit thread_local ThreadCounts threadCounts PLUGINSDK_FAST_THREAD_LOCAL;

// Takes a thread's counts off the list when the thread ends, keeping what they add up to. Made on
// the thread's first handle only, so the counting itself never goes through a thread-local guard.
struct ThreadEnd {
    ~ThreadEnd() {
        const std::lock_guard<std::mutex> lock(censusMutex);
        ThreadCounts& counts = threadCounts;
        endedThreads.actors += counts.actors.load(std::memory_order_relaxed);
        endedThreads.variables += counts.variables.load(std::memory_order_relaxed);
        counts.actors.store(0, std::memory_order_relaxed);
        counts.variables.store(0, std::memory_order_relaxed);
        if (counts.previous != nullptr) {
            counts.previous->next = counts.next;
        } else {
            livingThreads = counts.next;
        }
        if (counts.next != nullptr) {
            counts.next->previous = counts.previous;
        }
        counts.next = counts.previous = nullptr;
        // Handles destroyed later on this thread (by other thread-locals' destructors) are
        // counted straight into endedThreads.
        counts.state = ThreadState::Ended;
    }
    bool armed = false;
};
thread_local ThreadEnd threadEnd;

// The first handle of a thread, and any after its ThreadEnd has run.
[[gnu::noinline]] void countOnSlowPath(Counter counter, Total total, int delta) {
    ThreadCounts& counts = threadCounts;
    if (counts.state == ThreadState::Ended) {
        const std::lock_guard<std::mutex> lock(censusMutex);
        endedThreads.*total += delta;
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(censusMutex);
        counts.previous = nullptr;
        counts.next = livingThreads;
        if (livingThreads != nullptr) {
            livingThreads->previous = &counts;
        }
        livingThreads = &counts;
        counts.state = ThreadState::Counting;
        (counts.*counter).store(delta, std::memory_order_relaxed);
    }
    threadEnd.armed = true;  // constructs this thread's ThreadEnd, so its destructor runs at thread exit
}

void count(Counter counter, Total total, int delta) {
    ThreadCounts& counts = threadCounts;
    if (counts.state == ThreadState::Counting) [[likely]] {
        std::atomic<std::int64_t>& value = counts.*counter;
        value.store(value.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
    } else {
        countOnSlowPath(counter, total, delta);
    }
}

}  // namespace

HandleCounts liveHandles() {
    const std::lock_guard<std::mutex> lock(censusMutex);
    HandleCounts sum = endedThreads;
    for (const ThreadCounts* counts = livingThreads; counts != nullptr; counts = counts->next) {
        sum.actors += counts->actors.load(std::memory_order_relaxed);
        sum.variables += counts->variables.load(std::memory_order_relaxed);
    }
    return sum;
}

namespace detail {
void countActorHandle(int delta) {
    count(&ThreadCounts::actors, &HandleCounts::actors, delta);
}
void countVariableHandle(int delta) {
    count(&ThreadCounts::variables, &HandleCounts::variables, delta);
}
}  // namespace detail

}  // namespace pluginsdk
