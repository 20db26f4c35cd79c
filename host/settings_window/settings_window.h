// The host's settings window for one loaded plug-in: a Dear ImGui window titled with the plug-in's
// display name, inside which the plug-in draws its own panel.
//
// Calling order: construct it once the plug-in is loaded and the host's context exists; it hands
// the context to the plug-in before anything is drawn. Then, in each frame the host builds on that
// context (between ImGui::NewFrame and ImGui::Render), call draw(). Place or size the window
// beforehand with ImGui::SetNextWindowPos/SetNextWindowSize if the default does not suit.
//
// Threads: the thread that builds the frames. Lifetime: destroy it before the plug-in is unloaded
// and before the context is destroyed; it takes the context back from the plug-in, so a stray
// draw afterwards finds no context rather than a freed one.
#pragma once

#include <functional>
#include <string>

#include "bakkesmod/plugin/plugin_settings_window.h"
#include "host_error.h"
#include "loader/loaded_plugin.h"

struct ImGuiContext;

namespace host {

// What draw() throws when the panel drew without fault but left Dear ImGui's stacks unbalanced:
// callers that judge only other things can tell it apart.
class UnbalancedPanel : public HostError {
public:
    using HostError::HostError;
};

class SettingsWindow {
public:
    // The window's default size: room for its title, the panel's four widgets and the longest
    // label at Dear ImGui's default font and style.
    static constexpr int kDefaultWidth = 500;
    static constexpr int kDefaultHeight = 132;

    // Throws HostError if the plug-in has no settings panel, or if its GetDisplayName or
    // AttachImGuiContext throws.
    SettingsWindow(LoadedPlugin& plugin, ImGuiContext* context);
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    const std::string& title() const { return title_; }
    // Begins the window, lets the plug-in draw its panel in it, ends the window. `aroundPanel`, if
    // given, is called with true just before the plug-in draws and with false just after, while
    // the window is still current. Throws HostError, after the window has ended, if the panel threw
    // or UnbalancedPanel if it left Dear ImGui's stacks unbalanced (panel_stacks.h); the frame can
    // go on.
    void draw(const std::function<void(bool drawing)>& aroundPanel = {});

private:
    LoadedPlugin& plugin_;
    BakkesMod::Plugin::PluginSettingsWindow& panel_;
    std::string title_;
};

}  // namespace host
