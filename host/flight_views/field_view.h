// The arena with the ball's flight in it, drawn with Dear ImGui into the current window: from above
// (the arena's length across, its width up) and from the side (length across, height up), one
// scale for both, shown by a bar beside the first view's title. The ball's path is a bright line,
// the ghost's a faint one beside it, and the ball where the path ends a white disc; each touch is a
// dot in its team's colour, each firing of a plug-in a yellow ring, and a firing that cleared the
// Magnus coefficient a cross. A legend above names them all. The console's `field png` and the live
// window draw the same views.
//
// Threads: the thread that builds the Dear ImGui frame.
#pragma once

#include <string>

#include <imgui.h>

#include "pluginsdk/flight_record.h"

namespace host {

// A size that shows both views of the default arena, with the legend, at a readable scale.
inline constexpr float kFieldViewWidth = 1000.0f;
inline constexpr float kFieldViewHeight = 1060.0f;

// Where the view from above was drawn, in screen pixels.
struct FieldViewBox {
    ImVec2 min;
    ImVec2 max;
};

// Draws `record` in a box of `size` at the window's cursor, and moves the cursor past it. The legend
// takes as many lines as the width needs. A record without a tick shows `whyEmpty` in the view from
// above: the caller knows why there is nothing to draw.
FieldViewBox drawFieldView(const pluginsdk::FlightRecord& record, ImVec2 size, const std::string& whyEmpty);

}  // namespace host
