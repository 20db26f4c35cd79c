// Where the running program lives, so the host finds the module built beside it.
#pragma once

#include <string>

namespace host {
// The directory of the running executable, without a trailing separator, written the way the
// platform writes paths (on Windows with backslashes only); "." if unknown.
std::string executableDirectory();
// The module's file name on this platform (Quorvel.so, Quorvel.dll), as the build names it.
extern const char* const kModuleFileName;
// The separator the platform writes between a directory and a file name: '/' or '\\'. The host
// joins paths it builds itself with it, so a path it prints never mixes separators.
extern const char kPathSeparator;
}  // namespace host
