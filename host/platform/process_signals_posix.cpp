#include <csignal>

#include "process_signals.h"

namespace host {
void reportFailedWritesAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}
}  // namespace host
