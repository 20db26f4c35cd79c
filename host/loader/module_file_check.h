// The check a module file passes before the platform's loader is given it: it must be a regular
// file, readable, and hold a complete module in this platform's format (ELF on POSIX systems, PE on
// Windows). A FIFO would keep the loader waiting forever; a file cut short would crash it.
//
// Who calls it: the loader, before each load, on the host's thread. It reads the file's headers,
// not the whole file.
#pragma once

#include <optional>
#include <string>

namespace host {

// Why the file at `path` cannot be a module ("it is not a regular file but a directory", "it is cut
// short: ..."), or nothing.
std::optional<std::string> moduleFileProblem(const std::string& path);

}  // namespace host
