// Whether a file holds a complete PE32+ DLL for this machine, read from its headers alone: the DOS
// and NT headers, the optional header, the section table, and every section's raw data inside the
// file. A cut-short DLL is refused here rather than handed to LoadLibrary.
// Built for Windows only: it reads the headers with <windows.h>'s IMAGE_* structures.
#pragma once

#include <optional>
#include <string>

#include "module_image.h"

namespace host {

// Why `image` is not a usable DLL ("it is cut short: ..."), or nothing.
std::optional<std::string> peImageProblem(const ModuleImage& image);

}  // namespace host
