// One input of the console fuzzer: text typed at the host's console.
//
// Called by the fuzzer once per input and by the regression replays, on one thread.
#pragma once

#include <string>
#include <string_view>

namespace fuzzing {

// The second the module's C runtime clock shows at the start of every input.
inline constexpr long long consoleInputClock = 1;

// Runs `text` line by line as the interactive console does (an error is reported and the console
// goes on), in a fresh session that loads the module at `modulePath` when a line says `load`.
// Everything the session prints is discarded. The runtime clock is process-wide and a `clock`
// line changes it, so it is fixed at consoleInputClock first and put back as it was afterwards:
// no input changes how the next one runs.
void runConsoleText(std::string_view text, const std::string& modulePath);

}  // namespace fuzzing
