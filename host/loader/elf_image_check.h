// Whether a file holds a complete ELF shared object for this machine, read from its headers alone:
// the ELF header, the program headers, and every loadable segment and the dynamic segment inside
// the file. A segment that runs past the end of the file is what makes the dynamic loader die of
// a bus error when it touches the missing pages, so this is checked before the loader sees it.
// Built on POSIX systems only: it reads the headers with <elf.h>'s structures.
#pragma once

#include <optional>
#include <string>

#include "module_image.h"

namespace host {

// Why `image` is not a usable shared object ("it is cut short: ..."), or nothing.
std::optional<std::string> elfImageProblem(const ModuleImage& image);

}  // namespace host
