// Closing the live window on SIGINT (Ctrl-C in its terminal) or SIGTERM as if the user had closed
// it, so the plug-in is unloaded and the settings are saved instead of the process dying.
//
// Threads: catchStopSignals once, from the main thread, before the window runs; stopRequested from
// the thread that builds the frames.
#pragma once

namespace host {

void catchStopSignals();
bool stopRequested();

}  // namespace host
