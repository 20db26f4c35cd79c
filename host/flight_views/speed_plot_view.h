// The ball's speed over the last stretch of game time, drawn with Dear ImGui with labelled axes:
// each touch a line in its team's colour, each firing of a plug-in a mark at the top, so that the
// drop a response makes lines up with the touch before it. The live window shows it.
//
// Threads: the thread that builds the Dear ImGui frame.
#pragma once

#include <cstdint>

#include <imgui.h>

#include "pluginsdk/flight_record.h"

namespace host {

// Draws `record`'s speeds over the `span` microseconds up to its `now` in a box of `size` at the
// window's cursor, and moves the cursor past it.
void drawSpeedPlot(const pluginsdk::FlightRecord& record, std::int64_t span, ImVec2 size);

}  // namespace host
