// Pictures of the host's settings window offered to the user: the console command
// `panel png FILE`, which shows the plug-in's panel as the session's settings are at that point of
// the script, and the program's mode `quorvel-host panel --png FILE`. The program wires them here;
// rendering only draws.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "render_thread_pictures.h"
#include "console/command_interpreter.h"
#include "session/host_session.h"

namespace host {

// Adds the command to `interpreter`, drawing with `pictures`. `session` must outlive the interpreter.
void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures);

// Loads the module into `session`, writes the picture of its settings window to `file` and unloads
// it. Returns the exit status: 0, or 1 with a message on `errors`.
int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors);

}  // namespace host
