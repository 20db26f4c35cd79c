#include "command_line.h"

#include "../platform/executable_location.h"

namespace host {

const char* const kUsage =
    "usage: quorvel-host [OPTIONS] run FILE...\n"
    "       quorvel-host [OPTIONS] console\n"
    "       quorvel-host [OPTIONS] panel --png FILE\n"
    "       quorvel-host [OPTIONS] gui [--watch]\n"
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
    "                  plot of the ball's speed (needs a display); a Reload button loads the module\n"
    "                  file again, keeping the values\n"
    "  gui --watch     the same, reloading the module once its file has changed and stopped changing\n"
    "  --module PATH   the plug-in module to load (default: the one built beside this program)\n"
    "  --config FILE   keep the console variables' values in FILE: saved values replace the plug-in's\n"
    "                  defaults, and the values are saved at unload and at exit (console and gui use\n"
    "                  $XDG_CONFIG_HOME/quorvel/host.cfg, else ~/.config/quorvel/host.cfg; run and panel\n"
    "                  use none)\n"
    "  --no-config     use no settings file\n"
    "  --help          show this text\n"
    "\n"
    "Type 'help' in the console, or see the README, for the commands.\n"
    "Exit status: 0 success, 1 a command or script failed, 2 usage error.\n";

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error) {
    CommandLine line;
    line.modulePath = executableDirectory() + "/" + kModuleFileName;
    std::size_t i = 0;
    while (i < arguments.size() && arguments[i].rfind("--", 0) == 0) {
        const std::string& option = arguments[i];
        if (option == "--help") {
            line.mode = Mode::Help;
            return line;
        }
        if (option == "--config") {
            if (i + 1 == arguments.size()) {
                error = "--config needs a FILE";
                return std::nullopt;
            }
            line.settingsFile = arguments[i + 1];
            i += 2;
            continue;
        }
        if (option == "--no-config") {
            line.noSettings = true;
            ++i;
            continue;
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
        error = "unknown option '" + option + "'";
        return std::nullopt;
    }
    if (line.settingsFile && line.noSettings) {
        error = "--config and --no-config cannot be given together";
        return std::nullopt;
    }
    if (i == arguments.size()) {
        error = "no mode given (run, console, panel or gui)";
        return std::nullopt;
    }
    const std::string& mode = arguments[i++];
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
        if (i < arguments.size() && arguments[i] == "--watch") {
            line.watch = true;
            ++i;
        }
        if (i != arguments.size()) {
            error = "gui takes only --watch";
            return std::nullopt;
        }
        return line;
    }
    error = "unknown mode '" + mode + "' (expected run, console, panel or gui)";
    return std::nullopt;
}

}  // namespace host
