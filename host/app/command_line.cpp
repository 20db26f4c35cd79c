#include "command_line.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <sstream>

#include <CLI/CLI.hpp>

#include "png_file_name.h"
#include "option_numbers.h"
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
    "not a terminal failed; 2 usage error; 3 a plug-in crashed; 4 a plug-in hung (--plugin-timeout);\n"
    "70 quorvel-host crashed in its own code; 130 or 143 stopped by SIGINT or SIGTERM (saved first).";

// The program's commands, each with the mode it runs, in the order the help lists them; `help` is one
// more.
struct NamedCommand {
    const char* name;
    Mode mode;
    const char* description;
};
constexpr NamedCommand kCommands[] = {
    {"run", Mode::Run, "run scripts, in order, in one session; stop at the first error"},
    {"console", Mode::Console, "read commands from standard input; errors are shown and the console goes on"},
    {"panel", Mode::PanelPng, "draw the plug-in's settings window to a PNG picture (needs no display)"},
    {"gui", Mode::Gui, "the live window: settings, touches, log, speed plot, Reload (needs a display)"},
    {"check", Mode::Check, "put the plug-in through the host's contract as named checks, each in a process of its own"},
};
constexpr char kHelpCommand[] = "help";

// "a, b or c".
std::string spokenList(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    }
    return text;
}

std::vector<std::string> commandNames(bool withHelp) {
    std::vector<std::string> names;
    for (const NamedCommand& command : kCommands) {
        names.emplace_back(command.name);
    }
    if (withHelp) {
        names.emplace_back(kHelpCommand);
    }
    return names;
}

// `words` joined by `between`.
std::string joined(const std::vector<std::string>& words, const char* between) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : between) + word;
    }
    return text;
}

// A number as the help shows a default: "10", "0.5".
std::string shown(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// A picture's name, for CLI11: its refusal, or empty.
std::string pngName(const std::string& file) {
    return pngNameRefusal(file).value_or("");
}

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
    // The help is CLI11's own, set to one style: headings and descriptions in small letters, what
    // to type in capitals. The commands inherit the formatter and the options' group.
    const auto format = app.get_formatter();
    format->label("Usage", "usage");
    format->label("SUBCOMMAND", "COMMAND");
    format->label("REQUIRED", "(required)");
    format->label("Positionals", "arguments");
    format->column_width(26);
    app.option_defaults()->group("options");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", "quorvel-host " QUORVEL_HOST_VERSION, "print the version and exit");
    app.add_option("--module", line.modulePath,
                   "the plug-in module to load (default: the one beside the program)")
        ->type_name("PATH");
    // The two exclude each other; checked below rather than declared, since CLI11 would print the
    // declaration into the help as it stands.
    app.add_option("--config", line.settingsFile, "keep the console variables' values in FILE (see below)")
        ->type_name("FILE");
    app.add_flag("--no-config", line.noSettings, "keep no settings file");
    std::string threads = "one";
    app.add_option("--threads", threads,
                   "one (default): everything on one thread; separate: loading on a loader thread, the game "
                   "on a game thread, the settings window on a render thread, as in a game (the game "
                   "thread's random generator is then never seeded)")
        ->type_name("one|separate")
        ->check(CLI::IsMember({"one", "separate"}).description(""));  // the type name lists them already
    app.add_option("--plugin-timeout", line.pluginTimeout,
                   "a plug-in call that has not returned after SECONDS is reported as hung, with where it is, "
                   "and the program exits with status 4 (default " + shown(kDefaultPluginTimeoutSeconds) +
                       "; 0: never)")
        ->type_name("SECONDS")
        ->check(numberAbove(0.0, true));
    app.require_subcommand(0, 1);

    std::vector<CLI::App*> commands;
    for (const NamedCommand& command : kCommands) {
        commands.push_back(app.add_subcommand(command.name, command.description));
    }
    const auto commandOf = [&commands](Mode mode) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (kCommands[i].mode == mode) {
                return commands[i];
            }
        }
        return commands.front();
    };
    // An argument's name is its type: CLI11 would show both ("FILE FILE").
    commandOf(Mode::Run)->add_option("FILE", line.files, "a script in the console language")->required()->type_name("");
    commandOf(Mode::PanelPng)
        ->add_option("--png", line.pngFile, "the PNG file to write; its name ends in .png")
        ->required()
        ->type_name("FILE")
        ->check(pngName);
    CLI::App* gui = commandOf(Mode::Gui);
    gui->add_flag("--watch", line.watch,
                  "reload the module once its file has changed and stopped changing");
    gui->add_option("--screenshot", line.screenshotFile, "write a PNG picture of the window to FILE as it closes")
        ->type_name("FILE")
        ->check(pngName);
    gui->add_option("--layout", line.layoutFile,
                    "keep FILE up to date with where the widgets are, a line each: NAME X0 Y0 X1 Y1")
        ->type_name("FILE");
    CLI::App* check = commandOf(Mode::Check);
    check::RunOptions& run = line.check;
    const check::CheckOptions defaults;
    CLI::Option* list = check->add_flag("--list", run.list, "list the checks, with what each checks, and run none");
    CLI::Option* include = check->add_option("--include", run.includes, "run the checks whose names match REGEX (repeatable)")
        ->type_name("REGEX");
    CLI::Option* exclude = check->add_option("--exclude", run.excludes, "leave out the checks whose names match REGEX (repeatable)")
        ->type_name("REGEX");
    check->add_flag("--only-failed", run.onlyFailed, "print only the checks that did not pass");
    check->add_flag("--strict", run.strict, "a WARN fails the run as a FAIL does");
    check->add_option("--seed", line.checkSeed, "every random choice of the checks comes from N (default: a new one, printed)")
        ->type_name("N")
        ->check(wholeNumberFrom(0));
    CLI::Option* repeat = check->add_option("--repeat", run.repeat, "run every check N times (default " + std::to_string(run.repeat) + ")")
        ->type_name("N")
        ->check(wholeNumberFrom(1, std::numeric_limits<int>::max()));
    std::string level = check::levelName(defaults.level);
    check->add_option("--level", level, "how many cycles, values and touches: " + spokenList(check::levelNames()))
        ->type_name(joined(check::levelNames(), "|"))
        ->check(CLI::IsMember(check::levelNames()).description(""));
    check->add_option("--timeout", run.timeoutSeconds,
                      "stop a check still running after SECONDS (default " + shown(run.timeoutSeconds) +
                          "; three times that at thorough, and more for a plug-in slow to load, up to ten times)")
        ->type_name("SECONDS")
        ->check(numberAbove(0.0, false));
    check->add_option("--junit", run.junitFile, "write the results to FILE as JUnit XML")->type_name("FILE");
    check->add_option("--json", run.jsonFile, "write the results to FILE as JSON")->type_name("FILE");
    check->add_option("--budget-touch-us", run.check.budgetTouchMicroseconds,
                      "the longest a touch cycle may take, in microseconds (default " +
                          shown(defaults.budgetTouchMicroseconds) + ")")
        ->type_name("US")
        ->check(numberAbove(0.0, false));
    check->add_option("--budget-frame-us", run.check.budgetFrameMicroseconds,
                      "the longest a panel frame may take, in microseconds (default " +
                          shown(defaults.budgetFrameMicroseconds) + ")")
        ->type_name("US")
        ->check(numberAbove(0.0, false));
    CLI::Option* scenarios = check->add_option("--scenario", run.scenarios,
                      "a check more: the script FILE prints FILE's .expected transcript (repeatable)")
        ->type_name("FILE");
    check->add_flag("--record", run.check.record,
                    "write a scenario's missing .expected transcript from this run, and say so (one that exists is "
                    "never replaced)")
        ->needs(scenarios);
    CLI::Option* explore = check->add_option("--explore", run.explore,
                      "run N random sessions of console lines instead of the checks, alternating --threads one and "
                      "separate; a session that fails is shrunk and written to a file --replay runs")
        ->type_name("N")
        ->check(wholeNumberFrom(1, std::numeric_limits<int>::max()));
    check->add_option("--shrink-seconds", run.shrinkSeconds,
                      "shrink a failing session for at most SECONDS (default " + shown(run.shrinkSeconds) + ")")
        ->type_name("SECONDS")
        ->check(numberAbove(0.0, false));
    CLI::Option* replay = check->add_option("--replay", run.check.replay,
                      "run the session in FILE (written by --explore) instead of the checks, and give its verdict")
        ->type_name("FILE");
    // Sessions are not the checks: what chooses or repeats the checks would do nothing there,
    // so it is refused rather than ignored.
    for (CLI::Option* sessions : {explore, replay}) {
        for (CLI::Option* ofTheChecks : {include, exclude, list, repeat, scenarios}) {
            sessions->excludes(ofTheChecks);
        }
    }
    // How the run starts itself for one check, and where that check leaves its records: not for
    // people.
    check->add_option("--run-one", line.runOne)->group("");
    check->add_option("--records", line.checkRecords)->group("");
    check->add_option("--sessions", run.check.sessionsFolder)->group("");
    std::string helpTopic;
    CLI::App* helpCommand = app.add_subcommand(kHelpCommand, "show this help, or the help of COMMAND");
    helpCommand->add_option("COMMAND", helpTopic, spokenList(commandNames(true)))->type_name("");
    commands.push_back(helpCommand);
    for (CLI::App* command : commands) {
        command->allow_windows_style_options(false);
        command->group("commands");
        // Made with the command, before it took the program's option group.
        command->get_help_ptr()->group("options");
        command->footer("Options of the program (quorvel-host --help) go before the command.");
    }
    app.footer(kFooter);

    if (const auto misplaced = programOptionAfterCommand(arguments, commandNames(true))) {
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
    } catch (const CLI::ExtrasError& error) {
        // A stray word before any command is most likely a mistyped command.
        const std::vector<std::string> stray = app.remaining();
        if (!app.get_subcommands().empty() || stray.empty()) {
            return usageError(error.what(), errors);
        }
        return usageError("there is no command '" + stray.front() + "' (expected " + spokenList(commandNames(true)) + ")",
                          errors);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what(), errors);
    }
    if (line.settingsFile && line.noSettings) {
        return usageError("--config excludes --no-config", errors);
    }
    if (helpCommand->parsed()) {
        // The program's help, or a command's, as --help would show it.
        const CLI::App* topic = &app;
        std::string name = "quorvel-host";
        if (!helpTopic.empty()) {
            const auto command = std::find_if(commands.begin(), commands.end(),
                                              [&helpTopic](const CLI::App* c) { return c->get_name() == helpTopic; });
            if (command == commands.end()) {
                return usageError("help: there is no command '" + helpTopic + "' (expected " +
                                      spokenList(commandNames(true)) + ")",
                                  errors);
            }
            topic = *command;
            name += " " + helpTopic;
        }
        out << format->make_help(topic, name, CLI::AppFormatMode::Normal);
        return 0;
    }
    line.threads = parseThreadMode(threads).value_or(ThreadMode::One);
    const auto chosen = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [&commandOf](const NamedCommand& command) { return commandOf(command.mode)->parsed(); });
    if (chosen == std::end(kCommands)) {
        return usageError("no command given (expected " + spokenList(commandNames(false)) + ")", errors);
    }
    line.mode = chosen->mode;
    if (line.mode == Mode::Check) {
        run.check.modulePath = line.modulePath;
        run.check.pluginTimeout = line.pluginTimeout;
        run.check.level = check::levelNamed(level).value_or(defaults.level);
    }
    return line;
}

}  // namespace host
