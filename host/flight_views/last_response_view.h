// What a plug-in's last response did to the ball, drawn with Dear ImGui: the velocity just before
// and just after as arrows from above and from the side, with the speed after / before, the angle
// turned and what became of the spin. The live window's arena shows it beside the field.
//
// Threads: the thread that builds the Dear ImGui frame.
#pragma once

#include <imgui.h>

#include "pluginsdk/flight_record.h"

namespace host {

// "cleared", "kept" or "none to clear": the Magnus coefficient across a firing.
const char* spinOutcome(const pluginsdk::FlightEvent& firing);

// Draws the firing (nullptr: none yet) in a box of `size` at the window's cursor, and moves the
// cursor past it.
void drawLastResponse(const pluginsdk::FlightEvent* firing, ImVec2 size);

}  // namespace host
