// quorvel-host: the stand-in host program.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "../console/command_interpreter.h"
#include "../console/script_runner.h"
#include "../gui/gui_app.h"
#include "../rendering/panel_png_command.h"
#include "../platform/process_signals.h"
#include "../platform/terminal.h"
#include "../session/host_session.h"
#include "command_line.h"

namespace {

// The last of standard output reaches it here; a lost transcript must not end in success.
int finishStandardOutput(int status) {
    if (!std::cout && status != 0) {
        return status;  // the script runner stopped on it and said so
    }
    errno = 0;
    std::cout.flush();
    if (std::cout) {
        return status;
    }
    const int reason = errno;
    std::cerr << "quorvel-host: error: cannot write standard output"
              << (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()) << '\n';
    return status == 0 ? 1 : status;
}

int runMode(const host::CommandLine& line) {
    if (line.mode == host::Mode::Help) {
        std::cout << host::kUsage;
        return 0;
    }
    host::HostSession session(line.modulePath, std::cout, line.threads);
    if (line.mode == host::Mode::Gui) {
        return host::runGui(session, std::cerr);
    }
    if (line.mode == host::Mode::PanelPng) {
        return host::runPanelPng(session, line.pngFile, std::cerr);
    }
    host::CommandInterpreter interpreter(session);
    host::addPanelPngCommand(interpreter, session);
    if (line.mode == host::Mode::Run) {
        return host::runScripts(interpreter, line.files, std::cout, std::cerr);
    }
    return host::runConsole(interpreter, std::cin, std::cout, std::cerr, host::standardInputIsTerminal());
}

}  // namespace

int main(int argc, char** argv) {
    host::writeStandardStreamsVerbatim();
    host::reportFailedWritesAsErrors();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string usageError;
    const std::optional<host::CommandLine> line = host::parseCommandLine(arguments, usageError);
    if (!line) {
        std::cerr << "quorvel-host: " << usageError << "\n\n" << host::kUsage;
        return 2;
    }
    // The session, and with it the module, is gone before the last output is checked: an unload
    // can still log.
    return finishStandardOutput(runMode(*line));
}
