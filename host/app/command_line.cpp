#include "command_line.h"

#include <algorithm>
#include <optional>

#include <CLI/CLI.hpp>

#include "printable_text.h"
#include "platform/process.h"

namespace host {

const char* const kModuleFileName = QUORVEL_MODULE_FILE_NAME;

namespace {

const char* const kDescription =
    "The stand-in host for the Quorvel plug-in: it loads the module the way the game's modding host\n"
    "does and drives a simulated game world from commands in the console language.\n";

const char* const kFooter =
    "With --config FILE, saved values replace the plug-in's defaults when it registers its variables,\n"
    "and the values are saved at unload, at exit, and in the live window shortly after a change.\n"
    "Without it, console and gui keep the console variables' values in $XDG_CONFIG_HOME/quorvel/host.cfg\n"
    "(else ~/.config/quorvel/host.cfg); run and panel keep none unless given --config FILE.\n"
    "Type 'help' in the console, or see the README, for the commands.\n"
    "Options of the program go before the command. Lines longer than 1 MiB are refused.\n"
    "Exit status: 0 success; 1 a script failed, a picture could not be written, standard output could\n"
    "not be written, the settings could not be saved, or (console) a command read from input that is\n"
    "not a terminal failed; 2 usage error.";

int usageError(const std::string& what, std::ostream& errors) {
    // The message may quote an argument; control characters in it are shown escaped.
    errors << "quorvel-host: " << printable(what) << "\n"
           << "Run 'quorvel-host --help' for the usage, or 'quorvel-host COMMAND --help' for a command's.\n";
    return 2;
}

// An option of the program's after the command, which the command would refuse as a stray word:
// say what it is. Returns the message, or nothing.
std::optional<std::string> programOptionAfterCommand(const std::vector<std::string>& arguments,
                                                     const std::vector<std::string>& commands) {
    static const char* const kProgramOptions[] = {"--module",  "--config",         "--no-config",
                                                  "--threads", "--plugin-timeout", "--version"};
    std::size_t command = 0;
    while (command < arguments.size() &&
           std::find(commands.begin(), commands.end(), arguments[command]) == commands.end()) {
        ++command;
    }
    for (std::size_t i = command + 1; i < arguments.size() && arguments[i] != "--"; ++i) {
        const std::string option = arguments[i].substr(0, arguments[i].find('='));
        if (std::find(std::begin(kProgramOptions), std::end(kProgramOptions), option) != std::end(kProgramOptions)) {
            return "option '" + option + "' after the command '" + arguments[command] +
                   "': options of the program go before the command";
        }
    }
    return std::nullopt;
}

}  // namespace

std::variant<CommandLine, int> parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                                std::ostream& errors) {
    CommandLine line;
    line.modulePath = executableDirectory() + kPathSeparator + kModuleFileName;

    CLI::App app(kDescription, "quorvel-host");
    // Options are spelled --name everywhere: on Windows CLI11 would otherwise take an argument
    // that starts with '/' (a script's path) for an option.
    app.allow_windows_style_options(false);
    app.get_formatter()->label("Usage", "usage");
    app.get_formatter()->label("SUBCOMMAND", "COMMAND");
    app.get_formatter()->column_width(26);
    app.set_version_flag("--version", "quorvel-host " QUORVEL_HOST_VERSION, "print the version and exit");
    app.add_option("--module", line.modulePath,
                   "the plug-in module to load (default: the one beside the program)")
        ->type_name("PATH");
    CLI::Option* config = app.add_option("--config", line.settingsFile,
                                         "keep the console variables' values in FILE (see below)")
                              ->type_name("FILE");
    app.add_flag("--no-config", line.noSettings, "keep no settings file")->excludes(config);
    std::string threads = "one";
    app.add_option("--threads", threads,
                   "one (default): everything on one thread; separate: loading on a loader thread, the game "
                   "on a game thread, the settings window on a render thread, as in a game (the game "
                   "thread's random generator is then never seeded)")
        ->type_name("one|separate")
        ->check(CLI::IsMember({"one", "separate"}));
    app.add_option("--plugin-timeout", line.pluginTimeout,
                   "a plug-in call that has not returned after SECONDS is reported as hung, with where it is, "
                   "and the program exits with status 4 (default 10; 0: never)")
        ->type_name("SECONDS")
        ->check(CLI::NonNegativeNumber);
    app.require_subcommand(0, 1);

    CLI::App* run = app.add_subcommand("run", "run scripts, in order, in one session; stop at the first error");
    run->add_option("FILE", line.files, "a script in the console language")->required()->type_name("FILE...");
    CLI::App* console = app.add_subcommand(
        "console", "read commands from standard input; errors are shown and the console goes on");
    CLI::App* panel = app.add_subcommand(
        "panel", "draw the plug-in's settings window to a PNG picture (needs no display)");
    panel->add_option("--png", line.pngFile, "the PNG file to write")->required()->type_name("FILE");
    CLI::App* gui = app.add_subcommand(
        "gui", "the live window: settings, touches, log, speed plot, Reload (needs a display)");
    gui->add_flag("--watch", line.watch,
                  "reload the module once its file has changed and stopped changing");
    gui->add_option("--screenshot", line.screenshotFile, "write a PNG picture of the window to FILE as it closes")
        ->type_name("FILE");
    gui->add_option("--layout", line.layoutFile,
                    "keep FILE up to date with where the widgets are, a line each: NAME X0 Y0 X1 Y1")
        ->type_name("FILE");
    for (CLI::App* command : {run, console, panel, gui}) {
        command->allow_windows_style_options(false);
        command->group("Commands");
        command->footer("Options of the program (quorvel-host --help) go before the command.");
    }
    app.footer(kFooter);

    if (const auto misplaced = programOptionAfterCommand(arguments, {"run", "console", "panel", "gui"})) {
        return usageError(*misplaced, errors);
    }
    // CLI11 reads the arguments from the back.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help, out, errors);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help, out, errors);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version, out, errors);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what(), errors);
    }
    line.threads = parseThreadMode(threads).value_or(ThreadMode::One);
    if (app.get_subcommands().empty()) {
        return usageError("no command given (expected run, console, panel or gui)", errors);
    }
    if (run->parsed()) {
        line.mode = Mode::Run;
    } else if (console->parsed()) {
        line.mode = Mode::Console;
    } else if (panel->parsed()) {
        line.mode = Mode::PanelPng;
    } else {
        line.mode = Mode::Gui;
    }
    return line;
}

}  // namespace host
