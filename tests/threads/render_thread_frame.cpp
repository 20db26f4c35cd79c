#include "render_thread_frame.h"

#include <imgui.h>

namespace quorvel_test {

RenderThreadFrames::RenderThreadFrames() {
    ImGuiIO& io = context_.io();
    io.DisplaySize = ImVec2(500.0f, 200.0f);
    io.DeltaTime = 1.0f / 60.0f;
    io.Fonts->Build();
}

RenderThreadFrames::~RenderThreadFrames() {
    detach();
}

void RenderThreadFrames::attach(host::LoadedPlugin& plugin) {
    window_ = std::make_unique<host::SettingsWindow>(plugin, context_.get());
}

void RenderThreadFrames::detach() {
    window_.reset();
}

void RenderThreadFrames::frame() {
    ImGui::SetCurrentContext(context_.get());
    ImGui::NewFrame();
    if (window_) {
        window_->draw();
    }
    ImGui::Render();
}

}  // namespace quorvel_test
