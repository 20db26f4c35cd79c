#include "field_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
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

// Where the path ends: the ball itself, a white disc ringed in the pitch's colour, so that it
// stands out from a firing's hollow yellow ring.
void drawBallNow(ImDrawList& list, ImVec2 at, float radius) {
    list.AddCircleFilled(at, radius, colours::kBall);
    list.AddCircle(at, radius + 1.0f, colours::kPitch, 0, 1.5f);
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

// The view's box, its halfway line (so that the two views line up in a reader's head) and the
// flight in it. Its title is above it, where the flight cannot draw over it.
void drawView(ImDrawList& list, const View& view, ImVec2 size, const FlightRecord& record) {
    const ImVec2 bottomRight{view.topLeft.x + size.x, view.topLeft.y + size.y};
    list.AddRectFilled(view.topLeft, bottomRight, colours::kPitch);
    list.AddRect(view.topLeft, bottomRight, colours::kArena, 0.0f, ImDrawFlags_None, 2.0f);
    const float middle = view.topLeft.x + size.x / 2.0f;
    list.AddLine({middle, view.topLeft.y}, {middle, bottomRight.y}, colours::kArena);

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
        drawBallNow(list, view.at(record.samples.back().ball), std::max(4.0f, record.settings.ballRadius * view.scale));
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
        const float entryWidth = markWidth + ImGui::CalcTextSize(text).x + 12.0f;
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
    entry(18.0f, "ball now", [&](float left, float mid) { drawBallNow(list, {left + 6.0f, mid}, 5.0f); });
    return y - at.y + line;
}

// A round length of the arena's units that the scale shows 40 to 100 pixels long.
float scaleBarUnits(float scale) {
    float units = 100.0f;
    for (int step = 0; units * scale < 40.0f && step < 30; ++step) {
        units *= step % 3 == 1 ? 2.5f : 2.0f;  // 100, 200, 500, 1000, 2000, 5000, ...
    }
    return units;
}

std::string scaleBarLabel(float scale) {
    char label[48];
    std::snprintf(label, sizeof label, "%.0f units", static_cast<double>(scaleBarUnits(scale)));
    return label;
}

float scaleBarWidth(float scale) {
    return scaleBarUnits(scale) * scale + 6.0f + ImGui::CalcTextSize(scaleBarLabel(scale).c_str()).x;
}

// The scale: a bar a round number of units long, and its length, from `at`.
void drawScaleBar(ImDrawList& list, ImVec2 at, float scale) {
    const float bar = scaleBarUnits(scale) * scale;
    const float mid = at.y + ImGui::GetTextLineHeight() / 2.0f;
    list.AddLine({at.x, mid}, {at.x + bar, mid}, colours::kText, 1.5f);
    list.AddLine({at.x, mid - 4.0f}, {at.x, mid + 4.0f}, colours::kText, 1.5f);
    list.AddLine({at.x + bar, mid - 4.0f}, {at.x + bar, mid + 4.0f}, colours::kText, 1.5f);
    list.AddText({at.x + bar + 6.0f, at.y}, colours::kText, scaleBarLabel(scale).c_str());
}

}  // namespace

FieldViewBox drawFieldView(const FlightRecord& record, ImVec2 size, const std::string& whyEmpty) {
    const pluginsdk::FlightSettings& arena = record.settings;
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float gap = 8.0f;
    ImDrawList& list = *ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    float top = origin.y + drawLegend(list, origin, size.x);

    const float length = std::max(2.0f * arena.arenaY, 1.0f);
    const float width = std::max(2.0f * arena.arenaX, 1.0f);
    const float height = std::max(arena.arenaHeight, 1.0f);
    // The time and the arena's size on one line where it fits, else broken between them, never inside
    // either; the scale after them where it fits, else on a line of its own.
    char time[96];
    std::snprintf(time, sizeof time, "game time %.2f s to %.2f s", record.start / 1e6, record.now / 1e6);
    char dimensions[96];
    std::snprintf(dimensions, sizeof dimensions, "arena %.0f x %.0f x %.0f", static_cast<double>(width),
                  static_cast<double>(length), static_cast<double>(height));
    const std::string both = std::string(time) + "; " + dimensions;
    // The views' scale for a header of so many lines (the views' two titles below it).
    const auto scaleBelow = [&](std::size_t lines) {
        const float viewsTop = top + static_cast<float>(lines + 2) * line;
        return std::max(0.0f, std::min(size.x / length, (origin.y + size.y - viewsTop - gap) / (width + height)));
    };
    // The first layout whose last line has room for the scale: one line, two, or the scale alone.
    std::vector<std::string> header;
    float scale = 0.0f;
    for (const std::vector<std::string>& layout :
         {std::vector<std::string>{both}, {time, dimensions}, {time, dimensions, std::string()}}) {
        header = layout;
        scale = scaleBelow(layout.size());
        if (layout.back().empty() ||
            ImGui::CalcTextSize(layout.back().c_str()).x + 16.0f + scaleBarWidth(scale) <= size.x) {
            break;
        }
    }
    for (const std::string& text : header) {
        list.AddText({origin.x, top}, colours::kText, text.c_str());
        top += line;
    }
    const float scaleX =
        header.back().empty() ? origin.x : origin.x + ImGui::CalcTextSize(header.back().c_str()).x + 16.0f;
    if (scale > 0.0f) {
        drawScaleBar(list, {scaleX, top - line}, scale);
    }

    // Each view below its title, with a gap between the views.
    const float aboveTop = top + line;
    const View above{{origin.x, aboveTop}, scale, arena.arenaY, arena.arenaX, true};
    list.AddText({origin.x, top}, colours::kText, "from above (y to the right, x up)");
    drawView(list, above, {length * scale, width * scale}, record);
    const float sideTop = aboveTop + width * scale + gap;
    const View side{{origin.x, sideTop + line}, scale, arena.arenaY, arena.arenaHeight, false};
    list.AddText({origin.x, sideTop}, colours::kText, "from the side (y to the right, z up)");
    drawView(list, side, {length * scale, height * scale}, record);
    if (record.samples.empty() && !whyEmpty.empty()) {
        // Wrapped inside the view from above, where the flight would be.
        const float wrap = std::max(1.0f, length * scale - 12.0f);
        list.AddText(ImGui::GetFont(), ImGui::GetFontSize(), {origin.x + 6.0f, aboveTop + 6.0f}, colours::kText,
                     whyEmpty.c_str(), nullptr, wrap);
    }

    ImGui::Dummy(size);
    return {above.topLeft, {above.topLeft.x + length * scale, above.topLeft.y + width * scale}};
}

}  // namespace host
