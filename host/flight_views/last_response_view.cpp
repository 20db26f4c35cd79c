#include "last_response_view.h"

#include <algorithm>
#include <cstdio>

#include "flight_colours.h"
#include "velocity_change.h"
#include "velocity_plane.h"

namespace host {

namespace colours = flight_colours;

const char* spinOutcome(const pluginsdk::FlightEvent& firing) {
    if (firing.spinCleared()) {
        return "cleared";
    }
    const Vector& before = firing.magnusBefore;
    return before.X == 0.0f && before.Y == 0.0f && before.Z == 0.0f ? "none to clear" : "kept";
}

void drawLastResponse(const pluginsdk::FlightEvent* firing, ImVec2 size) {
    ImDrawList& list = *ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float line = ImGui::GetTextLineHeightWithSpacing();
    if (firing == nullptr) {
        list.AddText(origin, colours::kText, "The plug-in has not answered a touch yet.");
        ImGui::Dummy(size);
        return;
    }
    const Vector& before = firing->velocityBefore;
    const Vector& after = firing->velocityAfter;
    char text[160];
    std::snprintf(text, sizeof text, "Last response, at %.2f s (%s team's touch)",
                  static_cast<double>(firing->time) / 1e6,
                  firing->team == 0 ? "blue" : firing->team == 1 ? "orange" : "another");
    list.AddText(origin, colours::kText, text);
    std::snprintf(text, sizeof text, "speed x%.3f (%.0f to %.0f), turned %.2f deg", speedRatio(before, after),
                  speedOf(before), speedOf(after), turnedDegrees(before, after));
    list.AddText({origin.x, origin.y + line}, colours::kText, text);
    std::snprintf(text, sizeof text, "spin %s", spinOutcome(*firing));
    list.AddText({origin.x, origin.y + 2.0f * line}, firing->spinCleared() ? colours::kSpinCleared : colours::kText,
                 text);

    const float top = origin.y + 3.0f * line + 4.0f;
    const float gap = 8.0f;
    const float side = std::max(0.0f, std::min((size.x - gap) / 2.0f, size.y - (top - origin.y) - line - gap));
    const double reach = std::max(speedOf(before), speedOf(after));
    const ImU32 team = colours::team(firing->team);
    for (const bool fromAbove : {true, false}) {
        const VelocityPlane plane(list, {origin.x + (fromAbove ? 0.0f : side + gap), top}, side, fromAbove,
                                  fromAbove ? "from above" : "from the side", reach);
        plane.arrow(before, colours::kBall);
        plane.arrow(after, team);
    }
    list.AddText({origin.x, top + side + 4.0f}, colours::kText, "white: before; team colour: after");
    ImGui::Dummy(size);
}

}  // namespace host
