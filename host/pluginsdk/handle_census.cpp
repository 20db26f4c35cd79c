#include "handle_census.h"

#include <atomic>

namespace pluginsdk {
namespace {

std::atomic<std::int64_t> actorHandles{0};
std::atomic<std::int64_t> variableHandles{0};

}  // namespace

HandleCounts liveHandles() {
    return {actorHandles.load(std::memory_order_relaxed), variableHandles.load(std::memory_order_relaxed)};
}

namespace detail {
void countActorHandle(int delta) {
    actorHandles.fetch_add(delta, std::memory_order_relaxed);
}
void countVariableHandle(int delta) {
    variableHandles.fetch_add(delta, std::memory_order_relaxed);
}
}  // namespace detail

}  // namespace pluginsdk
