// Where the running program lives, so the host finds the module built beside it.
#pragma once

#include <string>

namespace host {
// The directory of the running executable, without a trailing separator; "." if unknown.
std::string executableDirectory();
// The module's file name on this platform (Quorvel.so, Quorvel.dll), as the build names it.
extern const char* const kModuleFileName;
}  // namespace host
