// Pictures of the host's settings window as a file, for whoever offers them to the user (the
// program's `panel png` command and its `panel --png` mode). Builds without headless OpenGL (the
// Windows build) have these functions too, and they say why they cannot draw.
//
// Threads: the host's one thread.
#pragma once

#include <string>

#include "loader/loaded_plugin.h"

namespace host {

// Throws HostError if this build cannot draw pictures at all; call it before work a picture would
// follow, such as loading the module.
void requirePictures();

// Renders one frame of the plug-in's settings window as it is now and writes it to `path`, whole or
// not at all. Throws HostError.
void writeSettingsWindowPng(LoadedPlugin& plugin, const std::string& path);

}  // namespace host
