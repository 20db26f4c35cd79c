// The pictures a session takes: its settings window as a PNG file, for the console's `panel png`
// and the program's `panel --png`. One renderer (picture_renderer.h) is made at the first picture
// and kept for the next ones, so a script that takes many pays the set-up once.
//
// Builds without headless OpenGL (the Windows build: Debian has neither EGL nor Mesa for it) have
// these too, and they say why they cannot draw.
//
// Threads: made, used and destroyed on the render thread (the OpenGL context is current there).
// Lifetime: it may outlive the plug-ins it drew.
#pragma once

#include <memory>
#include <string>

#include "loader/loaded_plugin.h"

namespace host {

class SessionPictures {
public:
    // Throws HostError if this build draws no pictures: called before work a picture would follow,
    // such as loading the module.
    static void require();

    SessionPictures();
    ~SessionPictures();
    SessionPictures(const SessionPictures&) = delete;
    SessionPictures& operator=(const SessionPictures&) = delete;

    // Draws `plugin`'s settings window as it opens, filling the picture, and writes it to `path`
    // whole or not at all. Throws HostError.
    void writeSettingsWindow(LoadedPlugin& plugin, const std::string& path);

private:
    struct Kept;  // the renderer, once made
    std::unique_ptr<Kept> kept_;
};

}  // namespace host
