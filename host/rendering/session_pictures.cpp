#include "session_pictures.h"

#include <optional>

#include <imgui.h>

#include "picture_renderer.h"
#include "png_file.h"
#include "settings_window/settings_window.h"

namespace host {

struct SessionPictures::Kept {
    std::optional<PictureRenderer> renderer;
};

void SessionPictures::require() {
    // This build draws with Mesa's software device; whether it is installed shows when drawing.
}

SessionPictures::SessionPictures() : kept_(std::make_unique<Kept>()) {}

SessionPictures::~SessionPictures() = default;

void SessionPictures::writeSettingsWindow(LoadedPlugin& plugin, const std::string& path) {
    const int width = SettingsWindow::kDefaultWidth;
    const int height = SettingsWindow::kDefaultHeight;
    writeFrame(width, height, [&plugin, width, height] {
        // Hands the context to the plug-in for this frame and takes it back when the frame is built.
        SettingsWindow window(plugin, ImGui::GetCurrentContext());
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
        window.draw();
    }, path);
}

void SessionPictures::writeWindow(int width, int height, const std::function<void()>& drawContent,
                                  const std::string& path) {
    constexpr int kPadding = 10;
    const int pictureWidth = width + 2 * kPadding;
    const int pictureHeight = height + 2 * kPadding;
    writeFrame(pictureWidth, pictureHeight, [&] {
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(pictureWidth), static_cast<float>(pictureHeight)));
        ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(kPadding, kPadding));
        ImGui::Begin("Picture", nullptr, ImGuiWindowFlags_NoDecoration);
        ImGui::PopStyleVar();
        drawContent();
        ImGui::End();
    }, path);
}

void SessionPictures::writeFrame(int width, int height, const std::function<void()>& draw, const std::string& path) {
    if (!kept_->renderer) {
        // A renderer that failed to start is not kept: the next picture tries again.
        kept_->renderer.emplace();
    }
    const RgbImage image = kept_->renderer->render(width, height, [&draw](ImGuiContext* /*context*/) { draw(); });
    // A file that cannot be written leaves the renderer as good as it was.
    writePng(path, image);
}

}  // namespace host
