#include "settings_window.h"

#include <cstdint>

#include <imgui.h>

#include "host_error.h"

namespace host {
namespace {

BakkesMod::Plugin::PluginSettingsWindow& requirePanel(LoadedPlugin& plugin) {
    BakkesMod::Plugin::PluginSettingsWindow* panel = plugin.settingsWindow();
    if (panel == nullptr) {
        throw HostError("the plug-in '" + plugin.name() + "' has no settings panel");
    }
    return *panel;
}

}  // namespace

// The title is also the window's identity in Dear ImGui, so it is read once and kept.
SettingsWindow::SettingsWindow(LoadedPlugin& plugin, ImGuiContext* context)
    : panel_(requirePanel(plugin)), title_(panel_.GetDisplayName()) {
    // The module's Dear ImGui has its own current-context pointer, empty until this call.
    panel_.AttachImGuiContext(reinterpret_cast<std::uintptr_t>(context));
}

SettingsWindow::~SettingsWindow() {
    // The module would otherwise keep pointing at the host's context after it is destroyed.
    panel_.AttachImGuiContext(0);
}

void SettingsWindow::draw(const std::function<void(bool drawing)>& aroundPanel) {
    // Begin reports false while the window is collapsed: nothing to draw then, but End is due.
    if (ImGui::Begin(title_.c_str())) {
        if (aroundPanel) {
            aroundPanel(true);
        }
        panel_.DrawSettingsPanel();
        if (aroundPanel) {
            aroundPanel(false);
        }
    }
    ImGui::End();
}

}  // namespace host
