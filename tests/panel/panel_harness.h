// The module loaded into a host session, the host's Dear ImGui frames without a display
// (settings_window/headless_frames.h), and the settings window built frame by frame with synthetic
// mouse input.
//
// The module is process-global: one harness at a time; it unloads the module when destroyed.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include <imgui.h>

#include "pluginsdk/world_types.h"
#include "session/host_session.h"
#include "settings_window/headless_frames.h"
#include "settings_window/settings_window.h"
#include "widget_layout.h"

namespace quorvel_test {

struct PanelFrame {
    PanelLayout layout;
    std::string text;  // what the frame shows as text, as Dear ImGui logs it ("[x] Label" for a check box)
};

class PanelHarness {
public:
    // Loads the module and builds a first frame without input. With `attach` the settings window
    // hands the plug-in the context first; without it the host draws the panel in a window of the
    // same title without ever attaching.
    explicit PanelHarness(bool attach = true);
    ~PanelHarness();

    // Builds one frame with the mouse at `mouse` and the left button as given.
    PanelFrame frame(ImVec2 mouse, bool buttonDown);
    // A frame with the mouse away from every window and no button down.
    PanelFrame idleFrame();
    // Presses the left button at `at` in one frame and releases it there in the next.
    PanelFrame click(ImVec2 at);
    // Takes the context back from the plug-in, as the settings window does when it goes away; later
    // frames draw the panel without the settings window.
    void detach();

    pluginsdk::World& world() { return session_.world(); }
    pluginsdk::detail::ConsoleVariable& variable(const std::string& name);
    // Sets a variable as the host's console would; fails the test if refused.
    void set(const std::string& name, const std::string& value);
    // setValue calls through handles, summed over the four settings.
    std::uint64_t totalWrites();

private:
    std::ostringstream log_;
    host::HostSession session_;
    std::unique_ptr<host::HeadlessFrames> frames_;
    std::unique_ptr<host::SettingsWindow> window_;
    std::string shownText_;
};

}  // namespace quorvel_test
