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
    if (!kept_->renderer) {
        // A renderer that failed to start is not kept: the next picture tries again.
        kept_->renderer.emplace();
    }
    const int width = SettingsWindow::kDefaultWidth;
    const int height = SettingsWindow::kDefaultHeight;
    const RgbImage image = kept_->renderer->render(width, height, [&plugin, width, height](ImGuiContext* context) {
        // Hands the context to the plug-in for this frame and takes it back when the frame is built.
        SettingsWindow window(plugin, context);
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
        window.draw();
    });
    // A file that cannot be written leaves the renderer as good as it was.
    writePng(path, image);
}

}  // namespace host
