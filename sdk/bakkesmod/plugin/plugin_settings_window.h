// BakkesMod::Plugin::PluginSettingsWindow: what a plug-in offers the host's settings window.
//
// A plug-in class that has a settings panel derives from this after BakkesModPlugin. The module's
// factory hands out only the BakkesModPlugin side, so the host reaches this side with a cross-cast
// (dynamic_cast) on the plug-in pointer. Slot order: destructor, DrawSettingsPanel,
// GetDisplayName, AttachImGuiContext. All three run on the render thread, while the plug-in's
// hooks and timers may be running on the game thread.
#pragma once

#include <cstdint>
#include <string>

namespace BakkesMod::Plugin {

class PluginSettingsWindow {
public:
    virtual ~PluginSettingsWindow() = default;
    // [render thread] while the host builds a Dear ImGui frame and has begun the panel's window,
    // after AttachImGuiContext. Adds the panel's widgets to that window; the host owns both. In
    // every frame, whatever the settings, it leaves Dear ImGui's stacks as it found them (what it
    // pushes or begins it pops or ends), and it writes a variable only in the frame in which the
    // user changed its widget. The game's frame waits for it, so it is short.
    virtual void DrawSettingsPanel() = 0;
    // [render thread] at any time while the plug-in is loaded. The panel's name, which the host
    // uses as the window's title: the same printable text every time.
    virtual std::string GetDisplayName() = 0;
    // [render thread] after onLoad, before the first DrawSettingsPanel; again with 0 before the
    // plug-in is unloaded. `context` is the address of the host's ImGuiContext (the host owns it);
    // the plug-in makes it current for its own copy of Dear ImGui.
    virtual void AttachImGuiContext(std::uintptr_t context) = 0;
};

}  // namespace BakkesMod::Plugin
