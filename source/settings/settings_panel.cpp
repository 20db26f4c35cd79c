// The plug-in's settings panel: two check boxes and two sliders bound to the settings variables.
//
// The panel keeps nothing between frames. Each variable is looked up just before its widget and
// written back only in a frame in which its widget reports a change, so a value set elsewhere shows
// in the next frame and is never overwritten by a stale copy. A missing variable ends the draw at
// that point; the handles taken so far are released in reverse order as the locals go out of scope.
#include <imgui.h>

#include "../Quorvel.h"
#include "plugin_identity.h"
#include "../settings_variables.h"

std::string Quorvel::GetDisplayName() {
    return quorvel::kClassName;
}

void Quorvel::AttachImGuiContext(std::uintptr_t context) {
    // The module links its own copy of Dear ImGui, with its own current-context pointer; from now
    // on it works on the host's context.
    ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(context));
}

void Quorvel::DrawSettingsPanel() {
    // A host that draws before attaching its context, or before filling the manager, gets an empty
    // panel rather than a crash.
    if (ImGui::GetCurrentContext() == nullptr || !cvarManagerShared) {
        return;
    }
    CVarManagerWrapper& manager = *cvarManagerShared;

    CVarWrapper blue = manager.getCvar(quorvel::kEnabledBlue);
    if (!blue) {
        return;
    }
    bool blueEnabled = blue.getBoolValue();
    if (ImGui::Checkbox("Active for blue team", &blueEnabled)) {
        blue.setValue(blueEnabled ? 1 : 0);
    }

    CVarWrapper orange = manager.getCvar(quorvel::kEnabledOrange);
    if (!orange) {
        return;
    }
    bool orangeEnabled = orange.getBoolValue();
    if (ImGui::Checkbox("Active for orange team", &orangeEnabled)) {
        orange.setValue(orangeEnabled ? 1 : 0);
    }

    CVarWrapper factor = manager.getCvar(quorvel::kFactor);
    if (!factor) {
        return;
    }
    float factorValue = factor.getFloatValue();
    if (ImGui::SliderFloat("Speed Factor", &factorValue, 0.0f, 1.0f, "%.3f")) {
        factor.setValue(factorValue);
    }

    CVarWrapper trajectory = manager.getCvar(quorvel::kTrajectory);
    if (!trajectory) {
        return;
    }
    float trajectoryValue = trajectory.getFloatValue();
    // The leading percent sign is a plain label character; "%.3f" is the value format.
    if (ImGui::SliderFloat("% Trajectory Alterable", &trajectoryValue, 0.0f, 100.0f, "%.3f")) {
        trajectory.setValue(trajectoryValue);
    }
}
