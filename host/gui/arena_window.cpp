#include "arena_window.h"

#include <algorithm>

#include <imgui.h>

#include "flight_views/field_view.h"
#include "flight_views/last_response_view.h"
#include "flight_views/speed_plot_view.h"

namespace host {
namespace {

constexpr std::int64_t kShownFlight = 10 * pluginsdk::World::kTicksPerSecond;

}  // namespace

ArenaWindow::ArenaWindow(HostSession& session) : session_(session) {
    session_.world().setPhysics(true);
    session_.world().setGhost(true);
}

void ArenaWindow::draw() {
    ImGui::SetNextWindowPos(ImVec2(520.0f, 10.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(750.0f, 470.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Arena")) {
        const pluginsdk::World& world = session_.world();
        for (const pluginsdk::FlightEvent& event : world.flightEventsAfter(lastEvent_)) {
            lastEvent_ = event.sequence;
            if (event.kind == pluginsdk::FlightEventKind::Firing) {
                lastFiring_ = event;
            }
        }
        const pluginsdk::FlightRecord record = world.flightRecord(world.gameTicks() - kShownFlight);
        const ImVec2 space = ImGui::GetContentRegionAvail();
        const float gap = ImGui::GetStyle().ItemSpacing.x;
        // The field takes half the width, the response and the speed the other half.
        const float fieldWidth = std::max(0.0f, (space.x - gap) / 2.0f);
        const FieldViewBox above =
            drawFieldView(record, ImVec2(fieldWidth, space.y),
                          world.readBall() ? "The ball has not flown in the last ten seconds."
                                           : "No ball yet: Blue touch or Orange touch sends one flying.");
        if (drawn_) {
            drawn_("arena_above", above.min, above.max, {});
        }
        ImGui::SameLine();
        ImGui::BeginGroup();
        const float sideWidth = std::max(0.0f, space.x - fieldWidth - gap);
        drawLastResponse(lastFiring_ ? &*lastFiring_ : nullptr, ImVec2(sideWidth, space.y * 0.58f));
        drawSpeedPlot(record, kShownFlight, ImVec2(sideWidth, std::max(0.0f, space.y * 0.42f - gap)));
        ImGui::EndGroup();
    }
    ImGui::End();
}

}  // namespace host
