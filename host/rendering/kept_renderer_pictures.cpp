#include "kept_renderer_pictures.h"

#include "png_file.h"

namespace host {

void KeptRendererPictures::write(LoadedPlugin& plugin, const std::string& path) {
    if (!renderer_) {
        // A renderer that failed to start is not kept: the next picture tries again.
        renderer_ = std::make_unique<SettingsWindowRenderer>();
    }
    // A frame that fails, or a file that cannot be written, leaves the renderer as good as it was:
    // each frame starts on a Dear ImGui context of its own.
    writePng(path, renderer_->renderFrame(plugin));
}

}  // namespace host
