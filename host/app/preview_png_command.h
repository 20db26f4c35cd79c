// `preview png FILE [TEAM [VX VY VZ]]`: the loaded plug-in's own response to 2,000 touches of one
// velocity with the settings as they are, drawn to a PNG file, leaving the session as it was (see
// World::rehearseTouches): a script prints the same after a preview as without it.
#pragma once

#include <memory>

#include "console/command_interpreter.h"
#include "render_thread_pictures.h"
#include "session/host_session.h"

namespace host {

// Adds the command to `interpreter`, drawing with `pictures`. `session` must outlive the interpreter.
void addPreviewPngCommand(CommandInterpreter& interpreter, HostSession& session,
                          std::shared_ptr<RenderThreadPictures> pictures);

}  // namespace host
