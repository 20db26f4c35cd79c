#include "touch_preview_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "flight_colours.h"
#include "velocity_change.h"
#include "velocity_plane.h"

namespace host {
namespace {

namespace colours = flight_colours;

constexpr int kBins = 40;

bool isZero(const Vector& v) {
    return v.X == 0.0f && v.Y == 0.0f && v.Z == 0.0f;
}

// One plane of velocities: every velocity after as a faint dot, the velocity before as an arrow.
void drawPlane(ImDrawList& list, ImVec2 topLeft, float side, const TouchPreview& preview, bool fromAbove,
               const char* title, double reach) {
    const VelocityPlane plane(list, topLeft, side, fromAbove, title, reach);
    const ImU32 team = colours::team(preview.team);
    const ImU32 faint = (team & ~IM_COL32_A_MASK) | IM_COL32(0, 0, 0, 110);
    for (const auto& ball : preview.after) {
        list.AddCircleFilled(plane.at(ball.velocity), 1.8f, faint, 6);
    }
    plane.arrow(preview.velocity, colours::kBall);
}

struct Summary {
    std::vector<double> ratios;  // speed after / speed before, where there was a speed before
    double lowest = 0.0;
    double highest = 0.0;
    double mean = 0.0;
    double largestAngle = 0.0;
    double meanAngle = 0.0;
    std::size_t spinCleared = 0;
};

Summary summarise(const TouchPreview& preview) {
    Summary summary;
    const double before = speedOf(preview.velocity);
    for (const auto& ball : preview.after) {
        if (before > 0.0) {
            summary.ratios.push_back(speedRatio(preview.velocity, ball.velocity));
        }
        const double angle = turnedDegrees(preview.velocity, ball.velocity);
        summary.largestAngle = std::max(summary.largestAngle, angle);
        summary.meanAngle += angle;
        if (!isZero(preview.magnusCoefficient) && isZero(ball.magnusCoefficient)) {
            ++summary.spinCleared;
        }
    }
    if (!preview.after.empty()) {
        summary.meanAngle /= static_cast<double>(preview.after.size());
    }
    if (!summary.ratios.empty()) {
        const auto [lowest, highest] = std::minmax_element(summary.ratios.begin(), summary.ratios.end());
        summary.lowest = *lowest;
        summary.highest = *highest;
        for (const double ratio : summary.ratios) {
            summary.mean += ratio;
        }
        summary.mean /= static_cast<double>(summary.ratios.size());
    }
    return summary;
}

void drawHistogram(ImDrawList& list, ImVec2 topLeft, ImVec2 size, const Summary& summary, ImU32 colour) {
    const ImVec2 bottomRight{topLeft.x + size.x, topLeft.y + size.y};
    list.AddRectFilled(topLeft, bottomRight, colours::kPitch);
    list.AddRect(topLeft, bottomRight, colours::kArena);
    list.AddText({topLeft.x + 6.0f, topLeft.y + 4.0f}, colours::kText, "speed after / speed before");
    if (summary.ratios.empty()) {
        return;
    }
    // A little room either side, and some width even when every touch gave the same ratio.
    const double spread = std::max(summary.highest - summary.lowest, 0.02);
    const double low = summary.lowest - spread * 0.05;
    const double high = summary.highest + spread * 0.05;
    int counts[kBins] = {};
    for (const double ratio : summary.ratios) {
        const int bin = static_cast<int>((ratio - low) / (high - low) * kBins);
        ++counts[std::clamp(bin, 0, kBins - 1)];
    }
    const int tallest = *std::max_element(std::begin(counts), std::end(counts));
    const float line = ImGui::GetTextLineHeight();
    const float plotTop = topLeft.y + line + 8.0f;
    const float plotBottom = bottomRight.y - line - 6.0f;
    const float barWidth = size.x / kBins;
    for (int bin = 0; bin < kBins; ++bin) {
        const float height = (plotBottom - plotTop) * static_cast<float>(counts[bin]) / static_cast<float>(tallest);
        const float left = topLeft.x + barWidth * static_cast<float>(bin);
        list.AddRectFilled({left + 1.0f, plotBottom - height}, {left + barWidth - 1.0f, plotBottom}, colour);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", low);
    list.AddText({topLeft.x + 4.0f, plotBottom + 3.0f}, colours::kText, text);
    std::snprintf(text, sizeof text, "%.3f", high);
    list.AddText({bottomRight.x - ImGui::CalcTextSize(text).x - 4.0f, plotBottom + 3.0f}, colours::kText, text);
    // Beside the title where there is room, else between the axis's ends.
    std::snprintf(text, sizeof text, "tallest bar: %d touches", tallest);
    const float titleEnd = topLeft.x + 6.0f + ImGui::CalcTextSize("speed after / speed before").x + 12.0f;
    const float textX = bottomRight.x - ImGui::CalcTextSize(text).x - 6.0f;
    if (textX > titleEnd) {
        list.AddText({textX, topLeft.y + 4.0f}, colours::kText, text);
    } else {
        list.AddText({topLeft.x + (size.x - ImGui::CalcTextSize(text).x) / 2.0f, plotBottom + 3.0f}, colours::kText, text);
    }
}

}  // namespace

void drawTouchPreview(const TouchPreview& preview, ImVec2 size) {
    ImDrawList& list = *ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const Summary summary = summarise(preview);

    // The two lines of text, wrapped at the width where it is narrow.
    const auto addText = [&](float y, const char* text) {
        list.AddText(ImGui::GetFont(), ImGui::GetFontSize(), {origin.x, y}, colours::kText, text, nullptr, size.x);
        return y + ImGui::CalcTextSize(text, nullptr, false, size.x).y + (line - ImGui::GetTextLineHeight());
    };
    char text[256];
    std::snprintf(text, sizeof text, "%zu touches by team %u (%s) of a ball with velocity (%g, %g, %g)",
                  preview.after.size(), static_cast<unsigned>(preview.team),
                  preview.team == 0 ? "blue" : preview.team == 1 ? "orange" : "other",
                  static_cast<double>(preview.velocity.X), static_cast<double>(preview.velocity.Y),
                  static_cast<double>(preview.velocity.Z));
    float y = addText(origin.y, text);
    std::snprintf(text, sizeof text,
                  "speed after / before: mean %.3f, %.3f to %.3f; direction turned by %.2f deg on average, at most "
                  "%.2f; spin cleared in %zu",
                  summary.mean, summary.lowest, summary.highest, summary.meanAngle, summary.largestAngle,
                  summary.spinCleared);
    y = addText(y, text);

    // Both planes at one scale, reaching the fastest velocity there is.
    double reach = speedOf(preview.velocity);
    for (const auto& ball : preview.after) {
        reach = std::max(reach, speedOf(ball.velocity));
    }
    const float top = y + 6.0f;
    const float histogramHeight = std::min(170.0f, 0.3f * size.y);
    const float gap = 10.0f;
    const float side =
        std::max(0.0f, std::min((size.x - gap) / 2.0f, size.y - (top - origin.y) - gap - histogramHeight));
    drawPlane(list, {origin.x, top}, side, preview, true, "from above (y across, x up)", reach);
    drawPlane(list, {origin.x + side + gap, top}, side, preview, false, "from the side (y across, z up)", reach);
    drawHistogram(list, {origin.x, top + side + gap}, {size.x, histogramHeight}, summary,
                  colours::team(preview.team));
    ImGui::Dummy(size);
}

}  // namespace host
