// The host's settings window drawn to an image without a display: a headless OpenGL context, the
// host's Dear ImGui context with the OpenGL 3 renderer and its font atlas, and the plug-in's
// settings window filling the picture.
//
// These cost far more to set up than a frame drawn with them, so one renderer keeps them for any
// number of frames, of any plug-in loaded meanwhile: the plug-in is handed the host's Dear ImGui
// context for the frame only. Every frame shows the window as it opens, so the same settings give
// the same picture however many frames came before.
// Threads: all on one thread (the OpenGL context is current there).
#pragma once

#include <memory>
#include <string>

#include "loader/loaded_plugin.h"
#include "rgb_image.h"
#include "settings_window/settings_window.h"
#include "settings_window_png.h"

namespace host {

class SettingsWindowRenderer {
public:
    // The picture is the settings window at its default size unless told otherwise.
    // Throws HostError without software OpenGL.
    explicit SettingsWindowRenderer(int width = SettingsWindow::kDefaultWidth,
                                    int height = SettingsWindow::kDefaultHeight);
    ~SettingsWindowRenderer();
    SettingsWindowRenderer(const SettingsWindowRenderer&) = delete;
    SettingsWindowRenderer& operator=(const SettingsWindowRenderer&) = delete;

    // Builds one Dear ImGui frame with `plugin`'s settings window at the top left, filling the
    // picture, and draws it. The plug-in reads its settings during the call, on the host's context,
    // which it gives back before the call returns; the context stays current on this thread after
    // the frame. Throws HostError if the plug-in has no panel.
    RgbImage renderFrame(LoadedPlugin& plugin);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace host
