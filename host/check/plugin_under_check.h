// One plug-in as a check drives it: a host session (session/host_session.h) in the check's
// arrangement, with the module's clock fixed from the run's seed (the same seed, the same bytes),
// and its settings window built frame by frame without a display on the render thread
// (settings_window/headless_frames.h), the frames of the panel's widgets found in what it drew.
//
// Threads: made, used and destroyed on one thread, the check's; it hands the work to the session's
// threads as the console does: touches and the clock to the game thread, frames to the render thread.
#pragma once

#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/vector.h"
#include "check.h"
#include "session/host_session.h"
#include "settings_window/headless_frames.h"
#include "settings_window/settings_window.h"
#include "settings_window/widget_layout_log.h"

namespace host::check {

class CheckRecords;

class PluginUnderCheck {
public:
    // The SDK calls the plug-in makes go to `trace`'s records, if given; the lines it logs to `log`
    // (the process's output, shown when it ends without a verdict).
    PluginUnderCheck(const CheckOptions& options, CheckRecords* trace, std::ostream& log = std::cout);
    ~PluginUnderCheck();
    PluginUnderCheck(const PluginUnderCheck&) = delete;
    PluginUnderCheck& operator=(const PluginUnderCheck&) = delete;

    HostSession& session() { return session_; }
    pluginsdk::World& world() { return session_.world(); }

    // Loads and unloads the module, as the session does; the settings window closes first.
    void load();
    void unload();

    // A car of `team` touches the ball (made if missing), giving it `velocity`; on the game thread.
    void touch(std::uint8_t team, const Vector& velocity);
    // Moves the game clock on; on the game thread.
    void wait(double seconds);
    Vector velocity();

    // One frame of the settings window, with the mouse at (x, y) and its button down or not, on the
    // render thread. Returns where the panel's widgets were, by the variable each shows. Throws
    // what the window throws, but for stacks the panel left unbalanced: the first such report is
    // kept for panelImbalance() and the frame goes on.
    std::map<std::string, WidgetLayoutLog::Rect> frame(float x, float y, bool buttonDown);
    const std::string& panelImbalance() const { return panelImbalance_; }
    // The frames the panel drew in the last frame (a check box's square, a slider's track, a
    // button), found in the window's draw list as the plain filled rectangles Dear ImGui draws
    // them with; what the panel drew in windows of its own is not among them.
    const std::vector<WidgetLayoutLog::Rect>& panelFrames() const { return panelFrames_; }

    // Hands `count` frames without input to the render thread and returns at once, so they are
    // drawn while the check goes on (touches on the game thread, as a game runs them); at once and
    // in turn with one thread. finishFrames() waits for them and throws what the first that failed
    // threw.
    void startFrames(int count);
    void finishFrames();

private:
    HostSession session_;
    // Render thread. The layout is made there before any plug-in code runs, and kept: the session
    // hands it the panel's lookups from whichever thread makes them.
    std::unique_ptr<WidgetLayoutLog> layout_;
    std::optional<HeadlessFrames> frames_;
    std::optional<SettingsWindow> window_;
    std::string panelImbalance_;  // render thread, read once it is idle
    std::vector<WidgetLayoutLog::Rect> panelFrames_;  // likewise
    int panelFirstVertex_ = 0;
    std::string framesFailure_;   // likewise
    int layoutObserver_ = 0;
    int traceObserver_ = 0;
};

}  // namespace host::check
