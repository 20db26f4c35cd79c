// quorvel-host gui: the live window. It loads the plug-in into the session, shows the host's
// settings window beside the game controls (GameWindow), and unloads the plug-in when the window
// is closed.
#pragma once

#include <ostream>

#include "session/host_session.h"

namespace host {

// Runs until the user closes the window. Returns the exit status: 0, or 1 with a message on
// `errors` when there is no display, no OpenGL 3 or the plug-in does not load.
int runGui(HostSession& session, std::ostream& errors);

}  // namespace host
