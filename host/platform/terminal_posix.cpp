#include <unistd.h>

#include "terminal.h"

namespace host {
bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

void writeStandardStreamsVerbatim() {
    // POSIX streams never translate line ends.
}
}  // namespace host
