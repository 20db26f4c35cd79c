// Pictures of the settings window in a build without headless OpenGL (the Windows build: Debian
// has neither EGL nor Mesa for it). The command and the mode exist, so scripts read the same,
// and say why they cannot draw.
#include "panel_png_command.h"

namespace host {
namespace {
const char* const kNoPictures =
    "this build of quorvel-host draws no pictures: it has no headless OpenGL (use the Linux build)";
}

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& /*session*/) {
    interpreter.addCommand("panel", "panel png FILE", HostThread::Render, [](const ConsoleLine&) { throw CommandError(kNoPictures); });
}

int runPanelPng(HostSession& /*session*/, const std::string& /*file*/, std::ostream& errors) {
    errors << "quorvel-host: " << kNoPictures << '\n';
    return 1;
}

}  // namespace host
