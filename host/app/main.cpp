// quorvel-host: the stand-in host program.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "check/check_records.h"
#include "check/check_runner.h"
#include "config/saved_settings.h"
#include "console/command_interpreter.h"
#include "console/line_editor.h"
#include "console/script_runner.h"
#include "faults/fault_reports.h"
#include "gui/gui_app.h"
#include "platform/process.h"
#include "platform/files.h"
#include "picture_commands/picture_commands.h"
#include "pluginsdk/host_environment.h"
#include "pluginsdk/process_state.h"
#include "printable_text.h"
#include "session/host_session.h"
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

// The settings file this run keeps, if any: --config FILE for every mode; without it the console
// and the live window keep the user's own, while scripts and pictures stay reproducible with none.
std::optional<std::string> settingsPathFor(const host::CommandLine& line) {
    if (line.noSettings) {
        return std::nullopt;
    }
    if (line.settingsFile) {
        return line.settingsFile;
    }
    if (line.mode != host::Mode::Console && line.mode != host::Mode::Gui) {
        return std::nullopt;
    }
    std::optional<std::string> path = host::defaultSettingsPath();
    if (!path) {
        std::cerr << "quorvel-host: warning: neither XDG_CONFIG_HOME nor HOME is set, so no settings are kept\n";
    }
    return path;
}

int runConsole(host::CommandInterpreter& interpreter, host::HostSession& session) {
    const bool interactive = host::standardInputIsTerminal();
    std::unique_ptr<host::LineEditor> editor;
    if (interactive) {
        editor = host::LineEditor::start("quorvel> ", host::defaultHistoryPath().value_or(""),
                                         [&interpreter, &session] {
                                             host::CompletionWords words{interpreter.commandUsages(), {}};
                                             for (const auto& variable : session.world().variables()) {
                                                 words.variables.push_back(variable->name);
                                             }
                                             return words;
                                         },
                                         std::cerr);
    }
    if (interactive) {
        interpreter.startAtTerminal();
    }
    if (!editor) {
        return host::runConsole(interpreter, std::cin, std::cout, std::cerr, interactive);
    }
    return host::runConsole(interpreter, [&editor] { return editor->readLine(); }, std::cout, std::cerr);
}

int runMode(const host::CommandLine& line, host::HostSession& session, host::SavedSettings* settings) {
    if (line.mode == host::Mode::Gui) {
        host::GuiOptions options;
        options.watch = line.watch;
        options.screenshotFile = line.screenshotFile;
        options.layoutFile = line.layoutFile;
        options.settings = settings;
        return host::runGui(session, options, std::cerr);
    }
    if (line.mode == host::Mode::PanelPng) {
        return host::runPanelPng(session, line.pngFile, std::cerr);
    }
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    if (line.mode == host::Mode::Run) {
        return host::runScripts(interpreter, line.files, std::cout, std::cerr);
    }
    return runConsole(interpreter, session);
}

// One session from start to exit; the session, and with it the module, is gone when this returns.
int runSession(const host::CommandLine& line) {
    std::unique_ptr<host::SavedSettings> settings;
    if (const std::optional<std::string> path = settingsPathFor(line)) {
        settings = std::make_unique<host::SavedSettings>(*path, std::cerr);
    }
    host::HostSession session(line.modulePath, std::cout, line.threads);
    session.setPluginTimeout(line.pluginTimeout);
    if (settings) {
        session.useSavedSettings(*settings);
    }
    int status = runMode(line, session, settings.get());
    // Saved at exit too: a script or the console may end with the plug-in still loaded.
    if (const std::optional<std::string> problem = session.saveSettings()) {
        std::cout << std::flush;
        std::cerr << "quorvel-host: error: " << *problem << '\n';
        if (status == 0) {
            status = 1;
        }
    }
    return status;
}

// `check`: the runner, or (--run-one) one check in this process, which leaves what it finds as
// records in the file the runner named; its output (the plug-in's log) line by line, so that
// nothing of it is lost if the check ends in a crash.
int runCheck(const host::CommandLine& line) {
    host::check::RunOptions options = line.check;
    options.check.seed = line.checkSeed ? *line.checkSeed : line.runOne.empty() ? std::random_device()() : 0;
    if (line.runOne.empty()) {
        return host::check::runChecks(options, std::cout, std::cerr);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    int status = 0;
    const int refused = host::runReportingErrors(std::cerr, [&] {
        host::check::CheckRecords records(line.checkRecords);
        status = host::check::runOne(line.runOne, options.check, options.scenarios, records);
    });
    return refused != 0 ? refused : status;
}

// What plug-in code changed of the process and the host put back, as a warning, once each.
void warnOfProcessStateChange(const pluginsdk::ProcessStateReport& report) {
    std::cerr << "quorvel-host: warning: " + host::printable(pluginsdk::describe(report)) + "\n" << std::flush;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything reads or writes a number or a path: what the host's own are.
    pluginsdk::adoptHostEnvironment();
    host::rememberStartingDirectory();
    host::writeStandardStreamsVerbatim();
    host::reportFailedWritesAsErrors();
    host::catchStopSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::variant<host::CommandLine, int> parsed = host::parseCommandLine(arguments, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed)) {
        return finishStandardOutput(*status);
    }
    const host::CommandLine& line = std::get<host::CommandLine>(parsed);
    // Before the session starts the host's threads: the fault watcher is forked from this one.
    // A check's process has its faults recorded with what the check found.
    const host::FaultReports faults(line.pluginTimeout, line.mode == host::Mode::Check ? line.checkRecords : "");
    // Every handler of the host's is in place: what plug-in code changes of them is put back.
    pluginsdk::keepProcessState();
    pluginsdk::listenForProcessStateChanges(warnOfProcessStateChange);
    if (line.mode == host::Mode::Check) {
        return finishStandardOutput(runCheck(line));
    }
    // The session is gone before the last output is checked: an unload can still log.
    return finishStandardOutput(runSession(line));
}
