#include "headless_frames.h"

#include <imgui_internal.h>

namespace host {

HeadlessFrames::HeadlessFrames(ImVec2 size) {
    ImGuiIO& io = imgui_.io();
    io.DisplaySize = size;
    io.DeltaTime = 1.0f / 60.0f;
    io.Fonts->Build();
}

void HeadlessFrames::frame(const std::function<void()>& draw, Mouse mouse) {
    ImGui::SetCurrentContext(imgui_.get());
    ImGuiIO& io = imgui_.io();
    io.MousePos = mouse.at;
    io.MouseDown[0] = mouse.buttonDown;
    ImGui::NewFrame();
    try {
        draw();
    } catch (...) {
        ImGui::ErrorCheckEndFrameRecover(nullptr);
        ImGui::Render();
        throw;
    }
    ImGui::Render();
}

void HeadlessFrames::frame(const std::function<void()>& draw) {
    frame(draw, Mouse{});
}

}  // namespace host
