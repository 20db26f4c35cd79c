// The pictures one session takes of the host's settings window (the console's `panel png`, the
// program's `panel --png`). What draws a picture (an OpenGL context, Dear ImGui's renderer and its
// font atlas) costs far more to set up than to use, so it is set up at the first picture and kept
// for the next ones, for as long as this object lives.
//
// Threads: the session's thread. Lifetime: destroy it on that thread; it may outlive the plug-ins
// it drew.
#pragma once

#include <memory>
#include <string>

#include "loader/loaded_plugin.h"

namespace host {

class PanelPictures {
public:
    virtual ~PanelPictures() = default;
    // Draws `plugin`'s settings window as its settings are now and writes it to `path` as a PNG.
    // Throws RenderError (no software OpenGL, a file that cannot be written) or CommandError (the
    // plug-in has no panel).
    virtual void write(LoadedPlugin& plugin, const std::string& path) = 0;
};

// Defined by whichever part of the host draws: linked in (host_rendering) or, in quorvel-host,
// loaded on first use. Sets nothing up yet. Throws RenderError if the drawing part is missing.
std::unique_ptr<PanelPictures> makePanelPictures();

}  // namespace host
