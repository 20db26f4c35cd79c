#include "field_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "flight_colours.h"

namespace host {
namespace {

using pluginsdk::FlightEvent;
using pluginsdk::FlightRecord;
using pluginsdk::FlightSample;
namespace colours = flight_colours;

// One view of the arena: the arena's length (y) runs across, `up` is x from above, z from the side.
struct View {
    ImVec2 topLeft;
    float scale;      // pixels per unit
    float lengthHalf; // the arena's half-length: y = -lengthHalf is the left edge
    float upTop;      // the value of `up` at the view's top edge
    bool fromAbove;

    ImVec2 at(const Vector& point) const {
        const float up = fromAbove ? point.X : point.Z;
        return {topLeft.x + (point.Y + lengthHalf) * scale, topLeft.y + (upTop - up) * scale};
    }
};

// Skips points within a pixel of the last one kept: a long flight has far more ticks than pixels.
void drawPath(ImDrawList& list, const View& view, const std::vector<FlightSample>& samples, bool ghost, ImU32 colour,
              float thickness) {
    std::vector<ImVec2> points;
    for (const FlightSample& sample : samples) {
        if (ghost && !sample.hasGhost) {
            // The ghost came and went: each stretch of it is a line of its own.
            if (points.size() > 1) {
                list.AddPolyline(points.data(), static_cast<int>(points.size()), colour, ImDrawFlags_None, thickness);
            }
            points.clear();
            continue;
        }
        const ImVec2 point = view.at(ghost ? sample.ghost : sample.ball);
        if (points.empty() || std::fabs(point.x - points.back().x) + std::fabs(point.y - points.back().y) >= 1.0f) {
            points.push_back(point);
        }
    }
    if (points.size() > 1) {
        list.AddPolyline(points.data(), static_cast<int>(points.size()), colour, ImDrawFlags_None, thickness);
    }
}

void drawCross(ImDrawList& list, ImVec2 centre, float half, ImU32 colour) {
    list.AddLine({centre.x - half, centre.y - half}, {centre.x + half, centre.y + half}, colour, 2.0f);
    list.AddLine({centre.x - half, centre.y + half}, {centre.x + half, centre.y - half}, colour, 2.0f);
}

void drawEvent(ImDrawList& list, ImVec2 at, const FlightEvent& event) {
    if (event.kind == pluginsdk::FlightEventKind::Touch) {
        list.AddCircleFilled(at, 5.0f, colours::team(event.team));
    } else if (event.spinCleared()) {
        drawCross(list, at, 6.0f, colours::kSpinCleared);
    } else {
        list.AddCircle(at, 8.0f, colours::kFiring, 0, 1.5f);
    }
}

void drawView(ImDrawList& list, const View& view, ImVec2 size, const FlightRecord& record, const char* title) {
    const ImVec2 bottomRight{view.topLeft.x + size.x, view.topLeft.y + size.y};
    list.AddRectFilled(view.topLeft, bottomRight, colours::kPitch);
    list.AddRect(view.topLeft, bottomRight, colours::kArena, 0.0f, ImDrawFlags_None, 2.0f);
    // Halfway line, and the goal ends' names, so that the two views line up in a reader's head.
    const float middle = view.topLeft.x + size.x / 2.0f;
    list.AddLine({middle, view.topLeft.y}, {middle, bottomRight.y}, colours::kArena);
    list.AddText({view.topLeft.x + 6.0f, view.topLeft.y + 4.0f}, colours::kText, title);

    drawPath(list, view, record.samples, true, colours::kGhost, 2.0f);
    drawPath(list, view, record.samples, false, colours::kBall, 1.5f);
    // The firings first: a touch's dot stays visible on the mark of the firing 0.01 s after it.
    for (const bool touches : {false, true}) {
        for (const FlightEvent& event : record.events) {
            if ((event.kind == pluginsdk::FlightEventKind::Touch) == touches) {
                drawEvent(list, view.at(event.position), event);
            }
        }
    }
    if (!record.samples.empty()) {
        const float radius = std::max(3.0f, record.settings.ballRadius * view.scale);
        list.AddCircle(view.at(record.samples.back().ball), radius, colours::kBall, 0, 2.0f);
    }
}

// The legend's entries, left to right, each a mark and its name, on as many lines as `width` needs.
// Returns the height it took.
float drawLegend(ImDrawList& list, ImVec2 at, float width) {
    const float line = ImGui::GetTextLineHeightWithSpacing();
    float x = at.x;
    float y = at.y;
    // An entry's mark is drawn in a box `markWidth` wide, centred on the text's middle.
    const auto entry = [&](float markWidth, const char* text, const auto& mark) {
        const float entryWidth = markWidth + ImGui::CalcTextSize(text).x + 18.0f;
        if (x > at.x && x + entryWidth > at.x + width) {
            x = at.x;
            y += line;
        }
        mark(x, y + ImGui::GetTextLineHeight() / 2.0f);
        list.AddText({x + markWidth, y}, colours::kText, text);
        x += entryWidth;
    };
    entry(30.0f, "ball", [&](float left, float mid) { list.AddLine({left, mid}, {left + 24.0f, mid}, colours::kBall, 1.5f); });
    entry(30.0f, "ghost (no plug-in)",
          [&](float left, float mid) { list.AddLine({left, mid}, {left + 24.0f, mid}, colours::kGhost, 2.0f); });
    entry(14.0f, "blue touch", [&](float left, float mid) { list.AddCircleFilled({left + 5.0f, mid}, 5.0f, colours::kBlue); });
    entry(14.0f, "orange touch",
          [&](float left, float mid) { list.AddCircleFilled({left + 5.0f, mid}, 5.0f, colours::kOrange); });
    entry(22.0f, "plug-in fired",
          [&](float left, float mid) { list.AddCircle({left + 8.0f, mid}, 8.0f, colours::kFiring, 0, 1.5f); });
    entry(18.0f, "spin cleared",
          [&](float left, float mid) { drawCross(list, {left + 6.0f, mid}, 6.0f, colours::kSpinCleared); });
    return y - at.y + line;
}

}  // namespace

FieldViewBox drawFieldView(const FlightRecord& record, ImVec2 size) {
    const pluginsdk::FlightSettings& arena = record.settings;
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float gap = 8.0f;
    ImDrawList& list = *ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float legendHeight = drawLegend(list, origin, size.x);

    const float length = std::max(2.0f * arena.arenaY, 1.0f);
    const float width = std::max(2.0f * arena.arenaX, 1.0f);
    const float height = std::max(arena.arenaHeight, 1.0f);
    char span[128];
    std::snprintf(span, sizeof span, "game time %.2f s to %.2f s; arena %.0f x %.0f x %.0f", record.start / 1e6,
                  record.now / 1e6, static_cast<double>(width), static_cast<double>(length),
                  static_cast<double>(height));
    // Wrapped where the view is narrow.
    list.AddText(ImGui::GetFont(), ImGui::GetFontSize(), {origin.x, origin.y + legendHeight}, colours::kText, span,
                 nullptr, size.x);
    const float spanHeight = ImGui::CalcTextSize(span, nullptr, false, size.x).y - ImGui::GetTextLineHeight() + line;

    // Below the legend and the time line, with a gap between the views.
    const float aboveTop = origin.y + legendHeight + spanHeight + gap;
    const float scale = std::max(0.0f, std::min(size.x / length, (origin.y + size.y - aboveTop - gap) / (width + height)));
    const View above{{origin.x, aboveTop}, scale, arena.arenaY, arena.arenaX, true};
    drawView(list, above, {length * scale, width * scale}, record, "from above");
    const View side{{origin.x, aboveTop + width * scale + gap}, scale, arena.arenaY, arena.arenaHeight, false};
    drawView(list, side, {length * scale, height * scale}, record, "from the side");

    ImGui::Dummy(size);
    return {above.topLeft, {above.topLeft.x + length * scale, above.topLeft.y + width * scale}};
}

}  // namespace host
