#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "terminal.h"

namespace host {
bool standardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

void writeStandardStreamsVerbatim() {
    // Standard input stays in text mode, so scripts and console input written with "\r\n" line
    // ends read the same as with "\n".
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
}  // namespace host
