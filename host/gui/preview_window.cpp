#include "preview_window.h"

#include <cstdio>

#include <imgui.h>

#include "pluginsdk/handle_state_lock.h"

namespace host {
namespace {

// Every variable's value and the velocity, as one text: the preview is made again when it changes.
std::string previewInputs(const pluginsdk::World& world, const Vector& velocity) {
    std::string inputs;
    const auto variables = world.variables();
    const auto state = pluginsdk::detail::lockHandleState();  // the game thread may be setting one
    for (const auto& variable : variables) {
        inputs += variable->name + '=' + variable->value + ';';
    }
    char text[96];
    std::snprintf(text, sizeof text, "(%.9g,%.9g,%.9g)", static_cast<double>(velocity.X),
                  static_cast<double>(velocity.Y), static_cast<double>(velocity.Z));
    return inputs + text;
}

}  // namespace

void PreviewWindow::draw(const Vector& touchVelocity) {
    ImGui::SetNextWindowPos(ImVec2(10.0f, 150.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(500.0f, 420.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Preview")) {
        if (!session_.loaded()) {
            ImGui::TextUnformatted("No plug-in is loaded.");
        } else {
            pluginsdk::World& world = session_.world();
            std::string inputs = previewInputs(world, touchVelocity);
            if (inputs != previewMadeFrom_) {
                preview_.team = 1;
                preview_.velocity = touchVelocity;
                preview_.after = world.rehearseTouches(preview_.team, touchVelocity, preview_.magnusCoefficient,
                                                       kPreviewTouches);
                previewMadeFrom_ = std::move(inputs);
            }
            drawTouchPreview(preview_, ImGui::GetContentRegionAvail());
        }
    }
    ImGui::End();
}

}  // namespace host
