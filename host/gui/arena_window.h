// The live window's view of the ball in flight: the arena from above and from the side with the
// last ten seconds of the ball's path and its ghost's, the touches and the plug-in's firings; and,
// on a second tab, the plug-in's response to 2,000 touches of the velocity the game window's
// buttons give, made again whenever a setting or that velocity changes.
//
// Threads: the thread that builds the frames. The session must outlive the window.
#pragma once

#include <string>

#include "bakkesmod/wrappers/vector.h"
#include "flight_views/touch_preview_view.h"
#include "session/host_session.h"

namespace host {

class ArenaWindow {
public:
    // Switches the world's physics and ghost on: the live window shows the ball flying.
    explicit ArenaWindow(HostSession& session);

    // Draws the window into the current Dear ImGui frame; `touchVelocity` is what a touch button gives.
    void draw(const Vector& touchVelocity);

private:
    void drawPreview(const Vector& touchVelocity);

    HostSession& session_;
    TouchPreview preview_;
    std::string previewMadeFrom_;  // the settings and velocity preview_ shows; empty: none yet
};

}  // namespace host
