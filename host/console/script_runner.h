// Running the console language from script files or from an interactive stream.
// Errors go to `errors` as "FILE:LINE: error: MESSAGE" ("<console>" for the console).
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_interpreter.h"

namespace host {

// Runs the files in order in one session, stopping at the first error. Returns 0, or 1 after an
// error (a file that cannot be read included).
// `out` is flushed before an error is written, so the two streams read in order on a terminal.
int runScripts(CommandInterpreter& interpreter, const std::vector<std::string>& files, std::ostream& out,
               std::ostream& errors);

// Reads commands from `in` until it ends; an error is printed and the console goes on. `prompt`, if
// not empty, is written to `out` before each line. Returns 0.
int runConsole(CommandInterpreter& interpreter, std::istream& in, std::ostream& out, std::ostream& errors,
               const std::string& prompt);

// The same, with lines from `readLine` (nothing at the end of input), which shows its own prompt.
int runConsole(CommandInterpreter& interpreter, const std::function<std::optional<std::string>()>& readLine,
               std::ostream& out, std::ostream& errors);

}  // namespace host
