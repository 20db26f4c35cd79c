#include "arena_window.h"

#include <cstdint>
#include <cstdio>

#include <imgui.h>

#include "flight_views/field_view.h"
#include "pluginsdk/handle_state_lock.h"

namespace host {
namespace {

constexpr std::int64_t kShownFlight = 10 * pluginsdk::World::kTicksPerSecond;
constexpr std::size_t kPreviewTouches = 2'000;

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

ArenaWindow::ArenaWindow(HostSession& session) : session_(session) {
    session_.world().setPhysics(true);
    session_.world().setGhost(true);
}

void ArenaWindow::draw(const Vector& touchVelocity) {
    ImGui::SetNextWindowPos(ImVec2(10.0f, 150.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(500.0f, 500.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Arena")) {
        if (ImGui::BeginTabBar("views")) {
            if (ImGui::BeginTabItem("Flight")) {
                const pluginsdk::World& world = session_.world();
                const std::int64_t now = world.gameTicks();
                drawFieldView(world.flightRecord(now - kShownFlight), ImGui::GetContentRegionAvail());
                ImGui::EndTabItem();
            }
            if (ImGui::BeginTabItem("Preview")) {
                drawPreview(touchVelocity);
                ImGui::EndTabItem();
            }
            ImGui::EndTabBar();
        }
    }
    ImGui::End();
}

void ArenaWindow::drawPreview(const Vector& touchVelocity) {
    pluginsdk::World& world = session_.world();
    if (!session_.loaded()) {
        ImGui::TextUnformatted("No plug-in is loaded.");
        return;
    }
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

}  // namespace host
