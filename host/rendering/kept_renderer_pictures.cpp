#include "kept_renderer_pictures.h"

#include "png_file.h"

namespace host {

void KeptRendererPictures::write(LoadedPlugin& plugin, const std::string& path) {
    if (!renderer_) {
        // A renderer that failed to start is not kept: the next picture tries again.
        renderer_ = std::make_unique<SettingsWindowRenderer>();
    }
    RgbImage image;
    try {
        image = renderer_->renderFrame(plugin);
    } catch (...) {
        // A frame that did not finish leaves its context mid-frame: start afresh next time.
        renderer_.reset();
        throw;
    }
    // A file that cannot be written leaves the renderer as good as it was.
    writePng(path, image);
}

}  // namespace host
