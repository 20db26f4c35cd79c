// `field png FILE [SECONDS]`: the arena from above and from the side with the ball's flight over the
// last SECONDS of game time (all of it since physics was switched on, by default), its ghost, the
// touches and the plug-in's firings, drawn to a PNG file.
#pragma once

#include <memory>

#include "console/command_interpreter.h"
#include "render_thread_pictures.h"
#include "session/host_session.h"

namespace host {

// Adds the command to `interpreter`, drawing with `pictures`. `session` must outlive the interpreter.
void addFieldPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures);

}  // namespace host
