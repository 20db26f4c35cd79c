// Panel pictures drawn in this process, by the rendering code linked into it.
#include "kept_renderer_pictures.h"

namespace host {

std::unique_ptr<PanelPictures> makePanelPictures() {
    return std::make_unique<KeptRendererPictures>();
}

}  // namespace host
