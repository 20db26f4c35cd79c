// The graphics part's one export: the table of what it does.
#include "graphics_part.h"

#include "gui/gui_app.h"
#include "rendering/kept_renderer_pictures.h"

namespace {

std::unique_ptr<host::PanelPictures> makeKeptRendererPictures() {
    return std::make_unique<host::KeptRendererPictures>();
}

const host::GraphicsPart graphicsPart{host::kGraphicsPartVersion, &makeKeptRendererPictures, &host::runGui};

}  // namespace

extern "C" __attribute__((visibility("default"))) const host::GraphicsPart* quorvelHostGraphicsPart() {
    return &graphicsPart;
}
