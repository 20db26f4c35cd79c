// The live window's preview of the plug-in's response, beside the settings panel: what it does to
// 2,000 orange touches of the velocity the game window's buttons give, made again (with the
// plug-in's own code) whenever a setting or that velocity changes.
//
// Threads: the thread that builds the frames. The session must outlive the window.
#pragma once

#include <string>

#include "bakkesmod/wrappers/vector.h"
#include "flight_views/touch_preview_view.h"
#include "session/host_session.h"

namespace host {

class PreviewWindow {
public:
    explicit PreviewWindow(HostSession& session) : session_(session) {}

    // Draws the window into the current Dear ImGui frame; `touchVelocity` is what a touch button gives.
    void draw(const Vector& touchVelocity);
    // The module was loaded again: its new code makes the next frame's preview.
    void moduleChanged() { previewMadeFrom_.clear(); }

private:
    HostSession& session_;
    TouchPreview preview_;
    std::string previewMadeFrom_;  // the settings and velocity preview_ shows; empty: none yet
};

}  // namespace host
