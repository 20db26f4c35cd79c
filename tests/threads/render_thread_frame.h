// The host's settings window without a renderer, built frame by frame, as the render thread of
// the live window builds it. Everything here runs on the thread that constructed it.
#pragma once

#include <memory>

#include "loader/loaded_plugin.h"
#include "settings_window/headless_frames.h"
#include "settings_window/settings_window.h"

namespace quorvel_test {

class RenderThreadFrames {
public:
    RenderThreadFrames() = default;
    ~RenderThreadFrames();
    RenderThreadFrames(const RenderThreadFrames&) = delete;
    RenderThreadFrames& operator=(const RenderThreadFrames&) = delete;

    // Hands the plug-in the context (AttachImGuiContext, GetDisplayName); detach() takes it back.
    void attach(host::LoadedPlugin& plugin);
    void detach();
    // One frame with the settings window, the plug-in drawing its panel in it.
    void frame();

private:
    host::HeadlessFrames frames_{ImVec2(500.0f, 200.0f)};
    std::unique_ptr<host::SettingsWindow> window_;
};

}  // namespace quorvel_test
