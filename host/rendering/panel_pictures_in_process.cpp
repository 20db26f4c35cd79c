// Panel pictures drawn in this process, by the rendering code linked into it (the tests; the
// program loads the same code as its graphics part instead).
#include "kept_renderer_pictures.h"

namespace host {

void requirePictures() {
    // This build draws with Mesa's software device; whether it is installed shows when drawing.
}

std::unique_ptr<PanelPictures> makePanelPictures() {
    return std::make_unique<KeptRendererPictures>();
}

}  // namespace host
