// One plug-in as a check puts it through its paces: a world of its own, the host's threads in the
// check's arrangement, the module loaded and unloaded on the loader thread, touches and the clock
// on the game thread, frames of its settings window on the render thread (Dear ImGui without a
// renderer: frames are built, not drawn). The module's clock is fixed from the run's seed, so two
// runs with one seed give the same bytes.
//
// Every SDK call the plug-in makes is written to `out` as "[trace] CALL" unless told otherwise: the
// last of them are what a failed check shows of how it got there.
//
// Threads: made, used and destroyed on one thread, the check's.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/vector.h"
#include "check.h"
#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"
#include "settings_window/host_imgui_context.h"
#include "settings_window/settings_window.h"
#include "settings_window/widget_layout_log.h"
#include "threads/host_threads.h"

namespace host::check {

class CheckSession {
public:
    CheckSession(const CheckOptions& options, std::ostream& out, bool trace = true);
    ~CheckSession();
    CheckSession(const CheckSession&) = delete;
    CheckSession& operator=(const CheckSession&) = delete;

    pluginsdk::World& world() { return *world_; }
    HostThreads& threads() { return threads_; }
    LoadedPlugin& plugin();
    bool loaded() const { return plugin_ != nullptr; }

    // Loads the module on the loader thread. Throws HostError if it is refused.
    void load();
    // Unloads it on the loader thread; what the plug-in did wrong on the way fails the check. The
    // plug-in object stays for questions (refusedOnceCut) until the next load.
    void unload();

    // A car of `team` touches the ball (made if missing), giving it `velocity`; on the game thread.
    void touch(std::uint8_t team, const Vector& velocity);
    // Moves the game clock on; on the game thread.
    void wait(double seconds);
    Vector velocity();
    // Plug-in callbacks that threw since the last call, as messages.
    std::vector<std::string> takeFailures();

    // Called with each SDK call the plug-in makes, on the thread that makes it, until replaced.
    void onSdkCall(std::function<void(const std::string& call)> observer);

    // One frame of the settings window, with the mouse at (x, y) and its button down or not, on the
    // render thread. Returns where the panel's widgets were, by the variable each shows.
    // Throws what the window throws, but for stacks the panel left unbalanced: the first such
    // report is kept for panelImbalance() and the frame goes on.
    std::map<std::string, WidgetLayoutLog::Rect> frame(float x, float y, bool buttonDown);
    const std::string& panelImbalance() const { return panelImbalance_; }

private:
    void listen();
    void openWindow();

    std::shared_ptr<pluginsdk::World> world_;
    std::string modulePath_;
    double pluginTimeout_;
    std::ostream& out_;
    std::unique_ptr<LoadedPlugin> plugin_;
    std::vector<std::string> failures_;  // under the world's failure listener, game thread
    std::mutex failuresMutex_;
    std::unique_ptr<HostImGuiContext> imgui_;    // render thread
    std::unique_ptr<SettingsWindow> window_;     // render thread
    // Made on the render thread before any plug-in code runs, and kept: the trace hands it the
    // panel's lookups from whichever thread traces.
    std::unique_ptr<WidgetLayoutLog> layout_;
    bool trace_;
    std::string panelImbalance_;  // render thread, read once it is idle
    std::function<void(const std::string&)> sdkCallObserver_;  // under the world's listener lock
    HostThreads threads_;  // last: its threads stop before anything they use goes
};

}  // namespace host::check
