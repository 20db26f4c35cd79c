// The host's settings window drawn to an image without a display: a headless OpenGL context, the
// host's Dear ImGui context with the OpenGL 3 renderer, and the plug-in's settings window filling
// the picture.
//
// Calling order: construct it while the plug-in is loaded (it hands the plug-in its context),
// call renderFrame() as often as wanted, destroy it before the plug-in is unloaded.
// Threads: all on one thread (the OpenGL context is current there).
#pragma once

#include <memory>
#include <string>

#include "loader/loaded_plugin.h"
#include "rgb_image.h"
#include "settings_window/settings_window.h"

namespace host {

class SettingsWindowRenderer {
public:
    // The picture is the settings window at its default size unless told otherwise.
    // Throws RenderError without software OpenGL, CommandError if the plug-in has no panel.
    explicit SettingsWindowRenderer(LoadedPlugin& plugin, int width = SettingsWindow::kDefaultWidth,
                                    int height = SettingsWindow::kDefaultHeight);
    ~SettingsWindowRenderer();
    SettingsWindowRenderer(const SettingsWindowRenderer&) = delete;
    SettingsWindowRenderer& operator=(const SettingsWindowRenderer&) = delete;

    // Builds one Dear ImGui frame with the settings window at the top left, filling the picture,
    // and draws it. The plug-in reads its settings during the call.
    RgbImage renderFrame();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Renders one frame of the plug-in's settings window as it is now and writes it to `path`.
// Throws RenderError or CommandError.
void writeSettingsWindowPng(LoadedPlugin& plugin, const std::string& path);

}  // namespace host
