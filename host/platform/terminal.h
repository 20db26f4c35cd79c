// The host's standard streams as the platform hands them over.
#pragma once

namespace host {
// Whether standard input is a person at a terminal (the console then shows a prompt).
bool standardInputIsTerminal();

// Makes standard output and standard error carry exactly the bytes the host writes, so a script's
// transcript is the same file on every platform (Windows' C runtime would otherwise write "\r\n"
// for each "\n"). Called once by the program at start-up, before it writes anything.
void writeStandardStreamsVerbatim();
}  // namespace host
