// The command line of quorvel-host.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../threads/host_threads.h"

namespace host {

enum class Mode { Help, Run, Console, PanelPng, Gui };

struct CommandLine {
    Mode mode = Mode::Help;
    std::string modulePath;          // the module to load; defaults to the one beside the program
    std::vector<std::string> files;  // scripts for `run`
    std::string pngFile;             // the picture for `panel --png`
    ThreadMode threads = ThreadMode::One;
};

// Parses the arguments after the program name. On a usage error returns nothing and sets `error`.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error);

extern const char* const kUsage;

}  // namespace host
