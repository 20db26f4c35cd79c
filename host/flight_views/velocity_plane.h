// A square of velocities drawn with Dear ImGui, as the touch preview and the last response show
// them: a still ball at the centre, the arena's length (y) across, and x up from above or z up
// from the side, the same axes as the field view.
//
// Threads: the thread that builds the Dear ImGui frame.
#pragma once

#include <imgui.h>

#include "bakkesmod/wrappers/vector.h"

namespace host {

class VelocityPlane {
public:
    // Draws the square's background, axes, their names and `title` at `topLeft`, `side` pixels wide;
    // `reach`, a speed, reaches from the centre to 0.45 of the side.
    VelocityPlane(ImDrawList& list, ImVec2 topLeft, float side, bool fromAbove, const char* title, double reach);
    // Until then, what is drawn in the square goes under the names (ImDrawList channels): one plane
    // at a time.
    ~VelocityPlane();
    VelocityPlane(const VelocityPlane&) = delete;
    VelocityPlane& operator=(const VelocityPlane&) = delete;

    // Where `velocity`'s tip is.
    ImVec2 at(const Vector& velocity) const;
    ImVec2 centre() const { return centre_; }
    // An arrow from the centre to `velocity`.
    void arrow(const Vector& velocity, ImU32 colour) const;

private:
    ImDrawList& list_;
    ImVec2 centre_;
    float scale_;
    bool fromAbove_;
};

}  // namespace host
