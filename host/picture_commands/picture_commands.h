// The pictures a user takes of a session: the console's `panel png FILE` (the host's settings
// window, with the plug-in's panel as it is at that point of the script), `field png` (the ball's
// flight) and `preview png` (what the plug-in does to many touches), and the program's own
// `quorvel-host panel --png FILE`. Every interpreter of the host's takes the commands from here (the
// program's scripts and console, and check's scenarios), so a script that one accepts, all do.
// Rendering only draws; the commands read the session and the line.
#pragma once

#include <ostream>
#include <string>

#include "console/command_interpreter.h"
#include "session/host_session.h"

namespace host {

// Adds the picture commands to `interpreter`; they share one renderer, made on the render thread at
// the first picture and kept until the interpreter goes. `session` must outlive the interpreter.
void addPictureCommands(CommandInterpreter& interpreter, HostSession& session);

// Loads the module into `session`, writes the picture of its settings window to `file` and unloads
// it. Returns the exit status: 0, or 1 with a message on `errors`.
int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors);

}  // namespace host
