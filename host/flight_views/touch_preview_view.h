// What the plug-in does to many touches of one velocity, drawn with Dear ImGui into the current
// window: where the velocities after point, from above and from the side beside the velocity before,
// and a histogram of speed after / speed before. The console's `preview png` and the live window
// draw the same view.
//
// Threads: the thread that builds the Dear ImGui frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <imgui.h>

#include "pluginsdk/world.h"

namespace host {

struct TouchPreview {
    std::uint8_t team = 1;
    Vector velocity;           // the ball's, before each touch
    Vector magnusCoefficient;  // likewise
    std::vector<pluginsdk::World::RehearsedBall> after;
};

// How many touches a preview makes: enough for the spread's shape to show.
inline constexpr std::size_t kPreviewTouches = 2'000;

// A size that shows the view at a readable scale.
inline constexpr float kTouchPreviewWidth = 900.0f;
inline constexpr float kTouchPreviewHeight = 700.0f;

// Draws `preview` in a box of `size` at the window's cursor, and moves the cursor past it.
void drawTouchPreview(const TouchPreview& preview, ImVec2 size);

// The view's line of figures: speed after / before, the angle turned, spin cleared; or why there
// are none (a still ball, a velocity that is not finite).
std::string touchPreviewSummary(const TouchPreview& preview);

}  // namespace host
