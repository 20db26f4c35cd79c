#include "console_text.h"

#include <cstdint>
#include <optional>
#include <sstream>

#include "console/command_interpreter.h"
#include "console/script_runner.h"
#include "null_output.h"
#include "session/host_session.h"

namespace fuzzing {

void runConsoleText(std::string_view text, const std::string& modulePath) {
    {
        NullOutput output;
        // Only the core language: the commands that draw pictures (and write files) live in the
        // rendering library, which the fuzzer does not link.
        host::HostSession session(modulePath, output);
        session.world().setRuntimeClock(consoleInputClock);
        host::CommandInterpreter interpreter(session);
        std::istringstream input{std::string(text)};
        host::runConsole(interpreter, input, output, output, false);
    }
}

}  // namespace fuzzing
