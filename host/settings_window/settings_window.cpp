#include "settings_window.h"

#include <cstdint>
#include <optional>

#include <imgui.h>

#include "host_error.h"
#include "panel_stacks.h"

namespace host {
namespace {

BakkesMod::Plugin::PluginSettingsWindow& requirePanel(LoadedPlugin& plugin) {
    BakkesMod::Plugin::PluginSettingsWindow* panel = plugin.settingsWindow();
    if (panel == nullptr) {
        throw HostError("the plug-in '" + plugin.name() + "' has no settings panel");
    }
    return *panel;
}

std::string displayName(const LoadedPlugin& plugin, BakkesMod::Plugin::PluginSettingsWindow& panel) {
    std::string name;
    plugin.call(pluginsdk::EntryPoint::GetDisplayName, [&] { name = panel.GetDisplayName(); });
    return name;
}

}  // namespace

// The title is also the window's identity in Dear ImGui, so it is read once and kept.
SettingsWindow::SettingsWindow(LoadedPlugin& plugin, ImGuiContext* context)
    : plugin_(plugin), panel_(requirePanel(plugin)), title_(displayName(plugin, panel_)) {
    // The module's Dear ImGui has its own current-context pointer, empty until this call.
    plugin_.call(pluginsdk::EntryPoint::AttachImGuiContext,
                 [this, context] { panel_.AttachImGuiContext(reinterpret_cast<std::uintptr_t>(context)); });
}

SettingsWindow::~SettingsWindow() {
    // The module would otherwise keep pointing at the host's context after it is destroyed. A throw
    // here has nowhere to go but away: the window is closing whatever the plug-in says.
    try {
        plugin_.call(pluginsdk::EntryPoint::AttachImGuiContext, [this] { panel_.AttachImGuiContext(0); });
    } catch (const HostError&) {
    }
}

void SettingsWindow::draw(const std::function<void(bool drawing)>& aroundPanel) {
    std::optional<HostError> problem;
    std::string unbalanced;
    bool windowOpen = true;
    // Begin reports false while the window is collapsed: nothing to draw then, but End is due.
    if (ImGui::Begin(title_.c_str())) {
        if (aroundPanel) {
            aroundPanel(true);
        }
        const PanelStacks before = PanelStacks::now();
        try {
            plugin_.call(pluginsdk::EntryPoint::DrawSettingsPanel, [this] { panel_.DrawSettingsPanel(); });
        } catch (const HostError& error) {
            problem = error;
        }
        const PanelStacks after = PanelStacks::now();
        windowOpen = after.hostWindowOpenSince(before);
        if (const std::string left = after.leftSince(before); !left.empty()) {
            PanelStacks::restore(before);
            unbalanced = "the plug-in " + plugin_.name() + "'s DrawSettingsPanel left Dear ImGui's stacks unbalanced: " + left;
        }
        if (aroundPanel) {
            aroundPanel(false);
        }
    }
    if (windowOpen) {
        ImGui::End();
    }
    if (problem) {
        throw *problem;
    }
    if (!unbalanced.empty()) {
        throw UnbalancedPanel(unbalanced);
    }
}

}  // namespace host
