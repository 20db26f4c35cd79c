// quorvel-host gui: the live window. It loads the plug-in into the session, shows the host's
// settings window beside the game controls (GameWindow), and unloads the plug-in when the window
// is closed.
#pragma once

#include <ostream>
#include <string>

#include "config/saved_settings.h"
#include "session/host_session.h"

namespace host {

struct GuiOptions {
    // Reload the module once its file has changed on disk and stopped changing. A load that fails
    // is reported in the window and on `errors`, and watching goes on.
    bool watch = false;
    // Where the session's variables are saved shortly after each change; null for nowhere.
    SavedSettings* settings = nullptr;
    // If set, a PNG picture of the window as it is when it closes is written here.
    std::string screenshotFile;
    // If set, where the widgets are (see WidgetLayoutLog) is written here whenever it changes.
    std::string layoutFile;
};

// Runs until the user closes the window. Returns the exit status: 0, or 1 with a message on
// `errors` when there is no display, no OpenGL 3 or the plug-in does not load (at start, and
// not watching), or when saving the settings, the picture or the layout failed.
int runGui(HostSession& session, const GuiOptions& options, std::ostream& errors);

}  // namespace host
