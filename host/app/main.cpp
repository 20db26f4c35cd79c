// quorvel-host: the stand-in host program.
#include <iostream>
#include <string>
#include <vector>

#include "../console/command_interpreter.h"
#include "../console/script_runner.h"
#include "../gui/gui_app.h"
#include "../rendering/panel_png_command.h"
#include "../platform/terminal.h"
#include "../session/host_session.h"
#include "command_line.h"

int main(int argc, char** argv) {
    host::writeStandardStreamsVerbatim();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string usageError;
    const std::optional<host::CommandLine> line = host::parseCommandLine(arguments, usageError);
    if (!line) {
        std::cerr << "quorvel-host: " << usageError << "\n\n" << host::kUsage;
        return 2;
    }
    if (line->mode == host::Mode::Help) {
        std::cout << host::kUsage;
        return 0;
    }

    host::HostSession session(line->modulePath, std::cout, line->threads);
    if (line->mode == host::Mode::Gui) {
        return host::runGui(session, std::cerr);
    }
    if (line->mode == host::Mode::PanelPng) {
        return host::runPanelPng(session, line->pngFile, std::cerr);
    }
    host::CommandInterpreter interpreter(session);
    host::addPanelPngCommand(interpreter, session);
    if (line->mode == host::Mode::Run) {
        return host::runScripts(interpreter, line->files, std::cout, std::cerr);
    }
    const bool interactive = host::standardInputIsTerminal();
    return host::runConsole(interpreter, std::cin, std::cout, std::cerr, interactive ? "quorvel> " : "");
}
