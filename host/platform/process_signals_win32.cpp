#include "process_signals.h"

namespace host {
void reportFailedWritesAsErrors() {
    // Windows reports these failures as errors already.
}
}  // namespace host
