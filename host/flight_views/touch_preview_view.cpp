#include "touch_preview_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "flight_colours.h"
#include "pluginsdk/number_text.h"
#include "velocity_change.h"
#include "velocity_plane.h"

namespace host {
namespace {

namespace colours = flight_colours;

constexpr int kBins = 40;

bool isZero(const Vector& v) {
    return v.X == 0.0f && v.Y == 0.0f && v.Z == 0.0f;
}

bool isFinite(const Vector& v) {
    return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}

// A ratio as a reader takes it in: three decimals, or the size of a huge one.
std::string ratioText(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(ratio) < 1e5 ? "%.3f" : "%.3g", ratio);
    return text;
}

// One plane of velocities: every velocity after as a faint dot, the velocity before as an arrow.
// A velocity that is not finite has no place in it.
void drawPlane(ImDrawList& list, ImVec2 topLeft, float side, const TouchPreview& preview, bool fromAbove,
               const char* title, double reach) {
    const VelocityPlane plane(list, topLeft, side, fromAbove, title, reach);
    const ImU32 team = colours::team(preview.team);
    const ImU32 faint = (team & ~IM_COL32_A_MASK) | IM_COL32(0, 0, 0, 110);
    for (const auto& ball : preview.after) {
        if (isFinite(ball.velocity)) {
            list.AddCircleFilled(plane.at(ball.velocity), 1.8f, faint, 6);
        }
    }
    if (isFinite(preview.velocity)) {
        plane.arrow(preview.velocity, colours::kBall);
    }
}

struct Summary {
    std::vector<double> ratios;  // speed after / speed before, where both are finite and there was one
    double lowest = 0.0;
    double highest = 0.0;
    double mean = 0.0;
    double largestAngle = 0.0;
    double meanAngle = 0.0;
    std::size_t spinCleared = 0;
    std::size_t notFinite = 0;    // touches after which the velocity was not finite
    const char* undefined = nullptr;  // why no ratio or angle can be given, if none can
};

Summary summarise(const TouchPreview& preview) {
    Summary summary;
    const double before = speedOf(preview.velocity);
    if (!isFinite(preview.velocity)) {
        summary.undefined = "the velocity before is not finite";
    } else if (before == 0.0) {
        summary.undefined = "the ball was still";
    }
    for (const auto& ball : preview.after) {
        if (!isZero(preview.magnusCoefficient) && isZero(ball.magnusCoefficient)) {
            ++summary.spinCleared;
        }
        if (!isFinite(ball.velocity)) {
            ++summary.notFinite;
            continue;
        }
        if (summary.undefined != nullptr) {
            continue;
        }
        summary.ratios.push_back(speedRatio(preview.velocity, ball.velocity));
        const double angle = turnedDegrees(preview.velocity, ball.velocity);
        summary.largestAngle = std::max(summary.largestAngle, angle);
        summary.meanAngle += angle;
    }
    if (summary.undefined == nullptr && summary.ratios.empty() && !preview.after.empty()) {
        summary.undefined = "no velocity after is finite";
    }
    if (!summary.ratios.empty()) {
        summary.meanAngle /= static_cast<double>(summary.ratios.size());
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

std::string summaryLine(const Summary& summary) {
    std::string text;
    if (summary.undefined != nullptr) {
        text = std::string("speed after / before and the direction turned: not defined, as ") + summary.undefined;
    } else {
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, "; direction turned by %.2f deg on average, at most %.2f",
                      summary.meanAngle, summary.largestAngle);
        text = "speed after / before: mean " + ratioText(summary.mean) + ", " + ratioText(summary.lowest) + " to " +
               ratioText(summary.highest) + numbers;
    }
    text += "; spin cleared in " + std::to_string(summary.spinCleared);
    if (summary.notFinite > 0) {
        text += "; velocity after not finite in " + std::to_string(summary.notFinite) + " (not drawn)";
    }
    return text;
}

void drawHistogram(ImDrawList& list, ImVec2 topLeft, ImVec2 size, const Summary& summary, ImU32 colour) {
    const ImVec2 bottomRight{topLeft.x + size.x, topLeft.y + size.y};
    list.AddRectFilled(topLeft, bottomRight, colours::kPitch);
    list.AddRect(topLeft, bottomRight, colours::kArena);
    list.AddText({topLeft.x + 6.0f, topLeft.y + 4.0f}, colours::kText, "speed after / speed before");
    if (summary.ratios.empty()) {
        if (summary.undefined != nullptr) {
            const std::string why = std::string("nothing to show: ") + summary.undefined;
            list.AddText({topLeft.x + 6.0f, topLeft.y + 4.0f + ImGui::GetTextLineHeightWithSpacing()}, colours::kText,
                         why.c_str());
        }
        return;
    }
    // A little room either side, and some width even when every touch gave the same ratio, however
    // large.
    const double spread = std::max(summary.highest - summary.lowest, 0.02 * std::max(1.0, std::fabs(summary.highest)));
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
    list.AddText({topLeft.x + 4.0f, plotBottom + 3.0f}, colours::kText, ratioText(low).c_str());
    const std::string highText = ratioText(high);
    list.AddText({bottomRight.x - ImGui::CalcTextSize(highText.c_str()).x - 4.0f, plotBottom + 3.0f}, colours::kText,
                 highText.c_str());
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

std::string touchPreviewSummary(const TouchPreview& preview) {
    return summaryLine(summarise(preview));
}

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
    std::string text = std::to_string(preview.after.size()) + " touches by team " + std::to_string(preview.team) +
                       (preview.team == 0 ? " (blue)" : preview.team == 1 ? " (orange)" : " (other)") +
                       ", velocity before (" + pluginsdk::formatFloat(preview.velocity.X) + ", " +
                       pluginsdk::formatFloat(preview.velocity.Y) + ", " + pluginsdk::formatFloat(preview.velocity.Z) +
                       ")";
    float y = addText(origin.y, text.c_str());
    y = addText(y, summaryLine(summary).c_str());

    // Both planes at one scale, reaching the fastest finite velocity there is.
    double reach = isFinite(preview.velocity) ? speedOf(preview.velocity) : 0.0;
    for (const auto& ball : preview.after) {
        if (isFinite(ball.velocity)) {
            reach = std::max(reach, speedOf(ball.velocity));
        }
    }
    const float top = y + 6.0f;
    const float histogramHeight = std::min(170.0f, 0.3f * size.y);
    const float gap = 10.0f;
    const float side =
        std::max(0.0f, std::min((size.x - gap) / 2.0f, size.y - (top - origin.y) - gap - histogramHeight));
    drawPlane(list, {origin.x, top}, side, preview, true, "from above", reach);
    drawPlane(list, {origin.x + side + gap, top}, side, preview, false, "from the side", reach);
    drawHistogram(list, {origin.x, top + side + gap}, {size.x, histogramHeight}, summary,
                  colours::team(preview.team));
    ImGui::Dummy(size);
}

}  // namespace host
