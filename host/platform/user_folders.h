// Where the host keeps a user's files between runs.
#pragma once

#include <optional>
#include <string>

namespace host {

// The host's settings file: $XDG_CONFIG_HOME/quorvel/host.cfg, else ~/.config/quorvel/host.cfg
// (on Windows %APPDATA%\quorvel\host.cfg). Nothing when the environment names no home at all.
std::optional<std::string> defaultSettingsPath();

// The console's line history: $XDG_STATE_HOME/quorvel/history, else ~/.local/state/quorvel/history
// (on Windows %LOCALAPPDATA%\quorvel\history). Nothing when the environment names no home at all.
std::optional<std::string> defaultHistoryPath();

}  // namespace host
