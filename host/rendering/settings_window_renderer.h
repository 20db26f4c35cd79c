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

struct ImGuiContext;

namespace host {

class SettingsWindowRenderer {
public:
    // The picture's default size: room for the window's title, the panel's four widgets and the
    // longest label at Dear ImGui's default font and style.
    static constexpr int kDefaultWidth = 500;
    static constexpr int kDefaultHeight = 132;

    // Throws RenderError without software OpenGL, CommandError if the plug-in has no panel.
    explicit SettingsWindowRenderer(LoadedPlugin& plugin, int width = kDefaultWidth, int height = kDefaultHeight);
    ~SettingsWindowRenderer();
    SettingsWindowRenderer(const SettingsWindowRenderer&) = delete;
    SettingsWindowRenderer& operator=(const SettingsWindowRenderer&) = delete;

    // Builds one Dear ImGui frame with the settings window at the top left, filling the picture,
    // and draws it. The plug-in reads its settings during the call.
    RgbImage renderFrame();
    // The host's context: current on this thread while the renderer lives.
    ImGuiContext* context() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Renders one frame of the plug-in's settings window as it is now and writes it to `path`.
// Throws RenderError or CommandError.
void writeSettingsWindowPng(LoadedPlugin& plugin, const std::string& path);

}  // namespace host
