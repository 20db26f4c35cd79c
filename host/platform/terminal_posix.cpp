#include <unistd.h>

#include "terminal.h"

namespace host {
bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}
}  // namespace host
