// Frames of the host's Dear ImGui context built without a display, as the pictures, the checks, the
// tests and the benchmarks build them: Dear ImGui builds a frame with no platform backend once it
// has a display size, a time step and a font atlas; a renderer, where there is one, draws the
// frame's draw data afterwards (rendering/picture_renderer.h).
//
// Threads: made, used and destroyed on the thread that builds the frames.
#pragma once

#include <cfloat>
#include <functional>

#include <imgui.h>

#include "host_imgui_context.h"

namespace host {

class HeadlessFrames {
public:
    // The host's own context (host_imgui_context.h), `size` pixels, a 60th of a second a frame.
    explicit HeadlessFrames(ImVec2 size);
    HeadlessFrames(const HeadlessFrames&) = delete;
    HeadlessFrames& operator=(const HeadlessFrames&) = delete;

    ImGuiContext* context() const { return imgui_.get(); }
    ImGuiIO& io() const { return imgui_.io(); }

    // The mouse during a frame: where it is and whether its left button is down.
    struct Mouse {
        ImVec2 at{-FLT_MAX, -FLT_MAX};  // away from every window
        bool buttonDown = false;
    };

    // Builds one frame: makes the context current, gives it `mouse`, and runs `draw` between
    // ImGui::NewFrame and ImGui::Render. What `draw` throws is thrown once the frame has ended,
    // with whatever it left begun or pushed ended and popped, so the next frame starts clean.
    void frame(const std::function<void()>& draw, Mouse mouse);
    // A frame with the mouse away and its button up.
    void frame(const std::function<void()>& draw);

private:
    HostImGuiContext imgui_;
};

}  // namespace host
