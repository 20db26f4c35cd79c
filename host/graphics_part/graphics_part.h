// quorvel-host's graphics part: the pictures of the settings window and the live window, with
// OpenGL, EGL, GLFW and X11 behind them, in a module of its own (quorvel-host-graphics.so beside
// the program). The program loads it on first use (`panel --png`, `gui`, the console's
// `panel png`), so running scripts and the console never load those libraries.
//
// Who calls what: the program opens the module with its DynamicLibrary (locally: nothing of it is
// seen by plug-in modules loaded later), looks up kGraphicsPartEntry and calls it once, then calls
// the functions of the table it returned, on the session's thread. The part calls back into the
// program's own host code (the session, the loaded plug-in), which the program exports for it
// (host/app/program_exports.list) and nothing else; the part exports the entry and nothing else.
// Lifetime: once loaded, the part stays until the program exits (OpenGL drivers are not made to be
// unloaded). Objects it makes are destroyed through their virtual destructors, by its own code.
#pragma once

#include <memory>
#include <ostream>

#include "gui/gui_app.h"
#include "rendering/settings_window_png.h"
#include "session/host_session.h"

namespace host {

// Changed whenever GraphicsPart changes, so a module left from another build is refused, not called.
inline constexpr unsigned kGraphicsPartVersion = 2;

struct GraphicsPart {
    unsigned version;  // kGraphicsPartVersion
    // A session's pictures (rendering/settings_window_png.h); sets nothing up yet.
    std::unique_ptr<PanelPictures> (*makePanelPictures)();
    // The live window (gui/gui_app.h).
    int (*runGui)(HostSession& session, const GuiOptions& options, std::ostream& errors);
};

// extern "C" const GraphicsPart* quorvelHostGraphicsPart(): never null.
inline constexpr char kGraphicsPartEntry[] = "quorvelHostGraphicsPart";
using GraphicsPartEntry = const GraphicsPart* (*)();

// The module's file name, beside the program.
inline constexpr char kGraphicsPartFileName[] = "quorvel-host-graphics.so";

}  // namespace host
