// BakkesMod::Plugin::PluginSettingsWindow: what a plug-in offers the host's settings window.
//
// A plug-in class that has a settings panel derives from this after BakkesModPlugin. The module's
// factory hands out only the BakkesModPlugin side, so the host reaches this side with a cross-cast
// (dynamic_cast) on the plug-in pointer. Slot order: destructor, DrawSettingsPanel,
// GetDisplayName, AttachImGuiContext.
//
// Calling order: the host calls AttachImGuiContext with its Dear ImGui context once the plug-in is
// loaded and before the first DrawSettingsPanel. It calls DrawSettingsPanel only while it builds a
// Dear ImGui frame and has a window begun, on the thread that builds the frame. GetDisplayName
// may be called at any time. The host owns the context, the frame and the window.
// Threads: all three on the host's render thread, the one that builds the frames, which is neither
// the loader thread nor the game thread: the panel runs while the game's hooks and timers run. The
// host calls AttachImGuiContext(0) on the render thread before it unloads the plug-in.
#pragma once

#include <cstdint>
#include <string>

namespace BakkesMod::Plugin {

class PluginSettingsWindow {
public:
    virtual ~PluginSettingsWindow() = default;
    // Adds the panel's widgets to the window the host has begun.
    virtual void DrawSettingsPanel() = 0;
    // The panel's name, which the host uses as the window's title.
    virtual std::string GetDisplayName() = 0;
    // `context` is the address of the host's ImGuiContext; the plug-in makes it current for its
    // own copy of Dear ImGui.
    virtual void AttachImGuiContext(std::uintptr_t context) = 0;
};

}  // namespace BakkesMod::Plugin
