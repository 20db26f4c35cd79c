// Files the host keeps for the user: where they live, their folders, and writing them whole.
//
// A file the host writes (its settings, the console's history, a picture) is written whole or not
// at all: the bytes go to a temporary file in the target's folder, which is flushed to disk and then
// renamed over the target. A reader never sees a half-written file, and a failed write leaves the
// old file exactly as it was.
//
// Threads: any thread; two writers racing for one target leave one of the two files whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host_error.h"

namespace host {

// [main thread, at start-up, before any plug-in code runs] Takes the working directory as the one
// the host started in.
void rememberStartingDirectory();
// `path` as the host opens it: a relative path is taken from the directory the host started in,
// whatever the working directory is now (plug-in code may change it); unchanged before
// rememberStartingDirectory. Every function here opens what it is given this way; host code that
// opens a file itself passes the path through it.
std::string fromStartingDirectory(const std::string& path);

// Replaces the file at `path` with `bytes`, creating it if it is missing. Throws HostError ("cannot
// write FILE: REASON", the reason in the system's words); the temporary file is removed then and the
// old file, if any, is untouched. A device, pipe or socket at `path` is written into, not replaced.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// An exclusive lock between processes, on the lock file `path` (made if missing, left in place),
// held from construction to destruction: sessions that change one file take turns. Waits for a
// session that holds it. Throws HostError ("cannot lock FILE: REASON").
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::intptr_t handle_;
};

// Why a file at `path` cannot be written ("there is no folder 'nodir'"), found by making and
// removing a file beside it; nothing if it can. The file itself is not touched.
std::optional<std::string> whyCannotWrite(const std::string& path);

// Creates the folder `path` and any missing folders above it. Returns why that failed, naming the
// folder, or nothing (also when it was there already).
std::optional<std::string> createFolders(const std::string& path);

// Makes a new folder inside `parent` that only this user may use, named PREFIX followed by
// characters that make it unique; returns its path. Never takes a folder or file that exists.
// Throws HostError naming `parent` and why.
std::string makePrivateFolder(const std::string& parent, const std::string& prefix);

// The host's settings file: $XDG_CONFIG_HOME/quorvel/host.cfg, else ~/.config/quorvel/host.cfg
// (on Windows %APPDATA%\quorvel\host.cfg). Nothing when the environment names no home at all.
std::optional<std::string> defaultSettingsPath();

// The console's line history: $XDG_STATE_HOME/quorvel/history, else ~/.local/state/quorvel/history
// (on Windows %LOCALAPPDATA%\quorvel\history). Nothing when the environment names no home at all.
std::optional<std::string> defaultHistoryPath();

}  // namespace host
