#include "velocity_plane.h"

#include <cmath>

#include "flight_colours.h"

namespace host {

namespace colours = flight_colours;

VelocityPlane::VelocityPlane(ImDrawList& list, ImVec2 topLeft, float side, bool fromAbove, const char* title,
                             double reach)
    : list_(list),
      centre_{topLeft.x + side / 2.0f, topLeft.y + side / 2.0f},
      scale_(static_cast<float>(0.45 * side / (reach > 1e-6 ? reach : 1e-6))),
      fromAbove_(fromAbove) {
    const ImVec2 bottomRight{topLeft.x + side, topLeft.y + side};
    list.AddRectFilled(topLeft, bottomRight, colours::kPitch);
    list.AddRect(topLeft, bottomRight, colours::kArena);
    list.AddLine({topLeft.x, centre_.y}, {bottomRight.x, centre_.y}, colours::kArena);
    list.AddLine({centre_.x, topLeft.y}, {centre_.x, bottomRight.y}, colours::kArena);
    // The names go on a layer of their own over what is drawn in the square, which cannot hide them.
    list.ChannelsSplit(2);
    list.ChannelsSetCurrent(1);
    // Each axis named at its positive end: y at the right, x or z at the top, a line lower where the
    // title reaches past the axis. Cut at the square's edge where the square is small.
    list.PushClipRect(topLeft, bottomRight, true);
    list.AddText({topLeft.x + 6.0f, topLeft.y + 4.0f}, colours::kText, title);
    const float line = ImGui::GetTextLineHeight();
    list.AddText({bottomRight.x - ImGui::CalcTextSize("y").x - 4.0f, centre_.y - line - 1.0f}, colours::kText, "y");
    const bool underTitle = topLeft.x + 6.0f + ImGui::CalcTextSize(title).x + 12.0f > centre_.x;
    list.AddText({centre_.x + 4.0f, topLeft.y + 4.0f + (underTitle ? line + 2.0f : 0.0f)}, colours::kText,
                 fromAbove ? "x" : "z");
    list.PopClipRect();
    list.ChannelsSetCurrent(0);
}

VelocityPlane::~VelocityPlane() {
    list_.ChannelsMerge();
}

ImVec2 VelocityPlane::at(const Vector& velocity) const {
    return {centre_.x + velocity.Y * scale_, centre_.y - (fromAbove_ ? velocity.X : velocity.Z) * scale_};
}

void VelocityPlane::arrow(const Vector& velocity, ImU32 colour) const {
    const ImVec2 to = at(velocity);
    list_.AddLine(centre_, to, colour, 2.0f);
    const float dx = to.x - centre_.x;
    const float dy = to.y - centre_.y;
    const float norm = std::sqrt(dx * dx + dy * dy);
    if (norm < 1.0f) {
        return;  // too short to point anywhere
    }
    const float ux = dx / norm;
    const float uy = dy / norm;
    list_.AddTriangleFilled(to, {to.x - 12.0f * ux + 5.0f * uy, to.y - 12.0f * uy - 5.0f * ux},
                            {to.x - 12.0f * ux - 5.0f * uy, to.y - 12.0f * uy + 5.0f * ux}, colour);
}

}  // namespace host
