// Pictures of the settings window in a build without headless OpenGL (the Windows build: Debian
// has neither EGL nor Mesa for it). The functions exist, so the program and its scripts read the
// same, and say why they cannot draw.
#include "settings_window_png.h"

#include "host_error.h"

namespace host {
namespace {
const char* const kNoPictures =
    "this build of quorvel-host draws no pictures: it has no headless OpenGL (use the Linux build)";
}

void requirePictures() {
    throw HostError(kNoPictures);
}

std::unique_ptr<PanelPictures> makePanelPictures() {
    throw HostError(kNoPictures);
}

}  // namespace host
