// The command line of quorvel-host.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "check/check_runner.h"
#include "loader/checked_module.h"
#include "threads/host_threads.h"

namespace host {

// The module's file name on this platform (Quorvel.so, Quorvel.dll), as the build names it: the
// module loaded by default is the one of that name beside the program.
extern const char* const kModuleFileName;

enum class Mode { Run, Console, PanelPng, Gui, Check };

struct CommandLine {
    Mode mode = Mode::Console;
    std::string modulePath;          // the module to load; defaults to the one beside the program
    std::vector<std::string> files;  // scripts for `run`
    std::string pngFile;             // the picture for `panel --png`
    std::optional<std::string> settingsFile;  // --config FILE
    bool noSettings = false;                  // --no-config
    bool watch = false;                       // gui --watch
    std::string screenshotFile;               // gui --screenshot FILE
    std::string layoutFile;                   // gui --layout FILE
    ThreadMode threads = ThreadMode::One;     // --threads one|separate
    double pluginTimeout = kDefaultPluginTimeoutSeconds;  // --plugin-timeout SECONDS: a plug-in call's longest; 0: none
    check::RunOptions check;                  // `check`'s options (its module and timeout are the program's)
    std::optional<std::uint64_t> checkSeed;   // check --seed N; a new one each run if not given
    std::string runOne;                       // check --run-one UNIT: run one check in this process
    std::string checkRecords;                 // check --records FILE: where that check leaves its records
};

// Parses the arguments after the program name. Returns the command line to run, or the exit status
// when there is nothing to run: 0 after --help or --version (their text on `out`), 2 after a usage
// error (on `errors`, naming what is wrong). Options of the program come before the command; an
// option after it belongs to the command, and one the command does not have is a usage error.
std::variant<CommandLine, int> parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                                std::ostream& errors);

}  // namespace host
