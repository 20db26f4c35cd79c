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

struct ImGuiContext;

namespace host {

class SettingsWindowRenderer {
public:
    // The picture's default size: room for the window's title, the panel's four widgets and the
    // longest label at Dear ImGui's default font and style.
    static constexpr int kDefaultWidth = 500;
    static constexpr int kDefaultHeight = 132;

    // Throws RenderError without software OpenGL.
    explicit SettingsWindowRenderer(int width = kDefaultWidth, int height = kDefaultHeight);
    ~SettingsWindowRenderer();
    SettingsWindowRenderer(const SettingsWindowRenderer&) = delete;
    SettingsWindowRenderer& operator=(const SettingsWindowRenderer&) = delete;

    // Builds one Dear ImGui frame with `plugin`'s settings window at the top left, filling the
    // picture, and draws it. The plug-in reads its settings during the call, on the host's context,
    // which it gives back before the call returns. Throws CommandError if the plug-in has no panel.
    RgbImage renderFrame(LoadedPlugin& plugin);
    // The host's Dear ImGui context, current on this thread after each frame.
    ImGuiContext* context() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace host
