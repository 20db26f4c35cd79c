#include "command_line.h"

#include "../console/printable_text.h"
#include "../platform/executable_location.h"

namespace host {

const char* const kUsage =
    "usage: quorvel-host [--module PATH] [--threads one|separate] run FILE...\n"
    "       quorvel-host [--module PATH] [--threads one|separate] console\n"
    "       quorvel-host [--module PATH] [--threads one|separate] panel --png FILE\n"
    "       quorvel-host [--module PATH] [--threads one|separate] gui\n"
    "       quorvel-host --help\n"
    "\n"
    "The stand-in host for the Quorvel plug-in: it loads the module the way the game's modding host\n"
    "does and drives a simulated game world from commands in the console language.\n"
    "\n"
    "  run FILE...     run scripts, in order, in one session; stop at the first error\n"
    "  console         read commands from standard input; errors are shown and the console goes on\n"
    "  panel --png FILE\n"
    "                  load the module, draw its settings window as a PNG picture to FILE (needs no\n"
    "                  display), unload it\n"
    "  gui             a live window: the settings window, touch buttons, the plug-in's log and a\n"
    "                  plot of the ball's speed (needs a display)\n"
    "  --module PATH   the plug-in module to load (default: the one built beside this program)\n"
    "  --threads one|separate\n"
    "                  one (the default): everything on one thread; separate: loading on a loader\n"
    "                  thread, the game on a game thread, the settings window on a render thread, as\n"
    "                  in a game (the game thread's random generator is then never seeded)\n"
    "  --help          show this text\n"
    "\n"
    "Type 'help' in the console, or see the README, for the commands.\n"
    "Options go before the mode. Lines longer than 1 MiB are refused.\n"
    "Exit status: 0 success; 1 a script failed, a picture could not be written, standard output could\n"
    "not be written, or (console) a command read from input that is not a terminal failed; 2 usage\n"
    "error.\n";

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error) {
    CommandLine line;
    line.modulePath = executableDirectory() + kPathSeparator + kModuleFileName;
    std::size_t i = 0;
    while (i < arguments.size() && arguments[i].rfind("--", 0) == 0) {
        const std::string& option = arguments[i];
        if (option == "--help") {
            line.mode = Mode::Help;
            return line;
        }
        if (option == "--module") {
            if (i + 1 == arguments.size()) {
                error = "--module needs a PATH";
                return std::nullopt;
            }
            line.modulePath = arguments[i + 1];
            i += 2;
            continue;
        }
        if (option == "--threads") {
            const std::optional<ThreadMode> mode =
                i + 1 < arguments.size() ? parseThreadMode(arguments[i + 1]) : std::nullopt;
            if (!mode) {
                error = i + 1 < arguments.size()
                            ? "--threads takes one or separate, not '" + printable(arguments[i + 1]) + "'"
                            : "--threads needs one or separate";
                return std::nullopt;
            }
            line.threads = *mode;
            i += 2;
            continue;
        }
        error = "unknown option '" + printable(option) + "'";
        return std::nullopt;
    }
    if (i == arguments.size()) {
        error = "no mode given (run, console, panel or gui)";
        return std::nullopt;
    }
    const std::string& mode = arguments[i++];
    // Options go before the mode; one after it would otherwise be taken for a script's name.
    for (std::size_t rest = i; rest < arguments.size(); ++rest) {
        const bool panelPicture = mode == "panel" && rest == i && arguments[rest] == "--png";
        if (arguments[rest].rfind("--", 0) == 0 && !panelPicture) {
            error = "option '" + printable(arguments[rest]) + "' after the mode '" + printable(mode) +
                    "': options go before the mode";
            return std::nullopt;
        }
    }
    if (mode == "run") {
        line.mode = Mode::Run;
        line.files.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
        if (line.files.empty()) {
            error = "run needs at least one script FILE";
            return std::nullopt;
        }
        return line;
    }
    if (mode == "console") {
        line.mode = Mode::Console;
        if (i != arguments.size()) {
            error = "console takes no arguments";
            return std::nullopt;
        }
        return line;
    }
    if (mode == "panel") {
        line.mode = Mode::PanelPng;
        if (arguments.size() - i != 2 || arguments[i] != "--png") {
            error = "panel takes --png FILE";
            return std::nullopt;
        }
        line.pngFile = arguments[i + 1];
        return line;
    }
    if (mode == "gui") {
        line.mode = Mode::Gui;
        if (i != arguments.size()) {
            error = "gui takes no arguments";
            return std::nullopt;
        }
        return line;
    }
    error = "unknown mode '" + printable(mode) + "' (expected run, console, panel or gui)";
    return std::nullopt;
}

}  // namespace host
