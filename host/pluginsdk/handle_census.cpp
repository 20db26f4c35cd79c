#include "handle_census.h"

#include <atomic>

namespace pluginsdk {
namespace {
std::atomic<std::int64_t> actorHandles{0};
std::atomic<std::int64_t> variableHandles{0};
}  // namespace

HandleCounts liveHandles() {
    return {actorHandles.load(), variableHandles.load()};
}

namespace detail {
void countActorHandle(int delta) {
    actorHandles += delta;
}
void countVariableHandle(int delta) {
    variableHandles += delta;
}
}  // namespace detail

}  // namespace pluginsdk
