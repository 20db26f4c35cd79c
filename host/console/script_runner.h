// Running the console language from script files or from an interactive stream.
// Errors go to `errors` as "FILE:LINE: error: MESSAGE" ("<console>" for the console), with control
// characters in MESSAGE escaped so a hostile line cannot write raw bytes to the terminal.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_interpreter.h"

namespace host {

// Runs the files in order in one session, stopping at the first error or at `quit`. Returns 0, or
// 1 after an error: a file that cannot be read (a folder, a read error part-way), a line longer
// than kLongestConsoleLine, a command that failed, or `out` that can no longer be written.
// `out` is flushed before an error is written, so the two streams read in order on a terminal.
int runScripts(CommandInterpreter& interpreter, const std::vector<std::string>& files, std::ostream& out,
               std::ostream& errors);

// Reads commands from `in` until it ends or `quit` runs; an error is printed and the console goes
// on. When `interactive` (a person at a terminal) a prompt is written to `out` before each line and
// the result is 0; otherwise the result is 1 if any line failed, so a pipeline can tell. Reading
// stops with 1 if `in` fails to read or `out` can no longer be written.
int runConsole(CommandInterpreter& interpreter, std::istream& in, std::ostream& out, std::ostream& errors,
               bool interactive);

// The console for a person at a terminal, with lines from `readLine` (nothing at the end of
// input), which shows its own prompt, until the end of input or `quit`. Errors are printed and the console goes on; the result is 0,
// or 1 if `out` can no longer be written.
int runConsole(CommandInterpreter& interpreter, const std::function<std::optional<std::string>()>& readLine,
               std::ostream& out, std::ostream& errors);

}  // namespace host
