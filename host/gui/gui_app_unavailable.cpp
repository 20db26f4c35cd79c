// The live window in a build without GLFW (the Windows build: Debian has no GLFW for it).
#include "gui_app.h"

namespace host {

int runGui(HostSession& /*session*/, const GuiOptions& /*options*/, std::ostream& errors) {
    errors << "quorvel-host: this build of quorvel-host has no live window: it has no GLFW (use the Linux build)\n";
    return 1;
}

}  // namespace host
