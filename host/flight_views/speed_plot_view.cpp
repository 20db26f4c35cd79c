#include "speed_plot_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "flight_colours.h"
#include "velocity_change.h"

namespace host {
namespace {

namespace colours = flight_colours;

// The speed axis ends at the next multiple of 500 above the fastest speed shown.
double axisTop(const pluginsdk::FlightRecord& record, std::int64_t from) {
    double fastest = 0.0;
    for (const pluginsdk::FlightSample& sample : record.samples) {
        if (sample.time >= from) {
            fastest = std::max(fastest, speedOf(sample.ballVelocity));
        }
    }
    return std::max(500.0, std::ceil(fastest / 500.0) * 500.0);
}

}  // namespace

void drawSpeedPlot(const pluginsdk::FlightRecord& record, std::int64_t span, ImVec2 size) {
    ImDrawList& list = *ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float line = ImGui::GetTextLineHeight();
    const std::int64_t from = record.now - std::max<std::int64_t>(span, 1);
    const double top = axisTop(record, from);

    char text[64];
    std::snprintf(text, sizeof text, "%.0f", top);
    const float labelWidth = ImGui::CalcTextSize(text).x + 6.0f;
    const ImVec2 plotMin{origin.x + labelWidth, origin.y + line + 4.0f};
    const ImVec2 plotMax{origin.x + size.x - 4.0f, origin.y + size.y - line - 6.0f};
    if (plotMax.x <= plotMin.x || plotMax.y <= plotMin.y) {
        ImGui::Dummy(size);
        return;
    }
    list.AddText(origin, colours::kText, "ball speed (units/s) over game time");
    list.AddRectFilled(plotMin, plotMax, colours::kPitch);
    list.AddRect(plotMin, plotMax, colours::kArena);
    list.AddText({origin.x, plotMin.y - line / 2.0f}, colours::kText, text);
    list.AddText({origin.x + labelWidth - ImGui::CalcTextSize("0").x - 6.0f, plotMax.y - line / 2.0f},
                 colours::kText, "0");
    const float middleY = (plotMin.y + plotMax.y) / 2.0f;
    list.AddLine({plotMin.x, middleY}, {plotMax.x, middleY}, colours::kArena);
    std::snprintf(text, sizeof text, "%.0f", top / 2.0);
    list.AddText({origin.x + labelWidth - ImGui::CalcTextSize(text).x - 6.0f, middleY - line / 2.0f}, colours::kText,
                 text);

    const auto x = [&](std::int64_t time) {
        return plotMin.x + (plotMax.x - plotMin.x) * static_cast<float>(time - from) / static_cast<float>(record.now - from);
    };
    const auto y = [&](double speed) {
        return plotMax.y - (plotMax.y - plotMin.y) * static_cast<float>(speed / top);
    };
    // Time labels: the span's start, its middle, and now.
    const double seconds = static_cast<double>(record.now - from) / 1e6;
    std::snprintf(text, sizeof text, "%.0f s ago", seconds);
    list.AddText({plotMin.x, plotMax.y + 3.0f}, colours::kText, text);
    std::snprintf(text, sizeof text, "%.0f s ago", seconds / 2.0);
    list.AddText({(plotMin.x + plotMax.x - ImGui::CalcTextSize(text).x) / 2.0f, plotMax.y + 3.0f}, colours::kText,
                 text);
    list.AddText({plotMax.x - ImGui::CalcTextSize("now").x, plotMax.y + 3.0f}, colours::kText, "now");

    for (const pluginsdk::FlightEvent& event : record.events) {
        if (event.time < from) {
            continue;
        }
        const float at = x(event.time);
        if (event.kind == pluginsdk::FlightEventKind::Touch) {
            list.AddLine({at, plotMin.y}, {at, plotMax.y}, colours::team(event.team), 1.5f);
        } else {
            list.AddTriangleFilled({at, plotMin.y + 7.0f}, {at - 4.0f, plotMin.y + 1.0f}, {at + 4.0f, plotMin.y + 1.0f},
                                   event.spinCleared() ? colours::kSpinCleared : colours::kFiring);
        }
    }
    std::vector<ImVec2> points;
    for (const pluginsdk::FlightSample& sample : record.samples) {
        if (sample.time < from) {
            continue;
        }
        const ImVec2 point{x(sample.time), y(speedOf(sample.ballVelocity))};
        // A pixel apart at least: ten seconds have more ticks than the plot has pixels.
        if (points.empty() || point.x - points.back().x >= 1.0f || std::fabs(point.y - points.back().y) >= 1.0f) {
            points.push_back(point);
        }
    }
    if (points.size() > 1) {
        list.PushClipRect(plotMin, plotMax, true);
        list.AddPolyline(points.data(), static_cast<int>(points.size()), colours::kBall, ImDrawFlags_None, 1.5f);
        list.PopClipRect();
    }
    ImGui::Dummy(size);
}

}  // namespace host
