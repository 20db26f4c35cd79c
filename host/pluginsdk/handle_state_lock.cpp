#include "handle_state_lock.h"

namespace pluginsdk::detail {

std::unique_lock<std::mutex> lockHandleState() {
    // One lock for all balls and variables: the accesses are a few words each, so contention is
    // negligible, and one lock cannot be taken in two orders.
    static std::mutex handleState;
    return std::unique_lock<std::mutex>(handleState);
}

}  // namespace pluginsdk::detail
