// Pictures of the host's settings window as files, for whoever offers them to the user (the
// program's `panel png` command and its `panel --png` mode). Builds without headless OpenGL (the
// Windows build) have these too, and they say why they cannot draw.
//
// What draws a picture (an OpenGL context, Dear ImGui's renderer and its font atlas) costs far more
// to set up than to use, so a session takes its pictures through one PanelPictures, which sets up at
// the first picture and keeps it for the next ones.
//
// Threads: the host's one thread. Lifetime: a PanelPictures may outlive the plug-ins it drew.
#pragma once

#include <memory>
#include <string>

#include "loader/loaded_plugin.h"

namespace host {

// Throws HostError if this build cannot draw pictures at all; call it before work a picture would
// follow, such as loading the module.
void requirePictures();

class PanelPictures {
public:
    virtual ~PanelPictures() = default;
    // Renders one frame of `plugin`'s settings window as it is now and writes it to `path`, whole or
    // not at all. Throws HostError.
    virtual void write(LoadedPlugin& plugin, const std::string& path) = 0;
};

// A session's pictures; sets nothing up yet. Throws HostError if this build cannot draw pictures.
std::unique_ptr<PanelPictures> makePanelPictures();

}  // namespace host
