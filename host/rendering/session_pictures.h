// The pictures a session takes: its settings window as a PNG file, for the console's `panel png`
// and the program's `panel --png`, and any other Dear ImGui windows (the ball's flight). One renderer (picture_renderer.h) is made at the first picture
// and kept for the next ones, so a script that takes many pays the set-up once.
//
// Builds without headless OpenGL (the Windows build: Debian has neither EGL nor Mesa for it) have
// these too, and they say why they cannot draw.
//
// Threads: made, used and destroyed on the render thread (the OpenGL context is current there).
// Lifetime: it may outlive the plug-ins it drew.
#pragma once

#include <functional>
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
    // Draws a picture of one undecorated window whose content, drawn by `drawContent`, is `width`
    // x `height` pixels, and writes it to `path` whole or not at all. Throws HostError, and what
    // `drawContent` throws.
    void writeWindow(int width, int height, const std::function<void()>& drawContent, const std::string& path);

private:
    // One frame of `width` x `height` pixels, in which `draw` begins and ends its windows, to `path`.
    void writeFrame(int width, int height, const std::function<void()>& draw, const std::string& path);

    struct Kept;  // the renderer, once made
    std::unique_ptr<Kept> kept_;
};

}  // namespace host
