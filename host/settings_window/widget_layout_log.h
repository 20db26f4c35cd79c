// Where the widgets of a window of the host's are, written to a file for whoever drives the window
// from outside (the live window's tests move the real mouse onto them), or kept for the checks that
// click on a panel's widgets: one line per widget,
// "NAME X0 Y0 X1 Y1", in window pixels from the top left. The host's own widgets are named for
// what they do (reload, blue_touch, orange_touch); the plug-in's widgets by the console variable
// the plug-in looked up just before drawing each (variable:quorvel_factor). A line of text the
// host drew follows its rectangle with what it says ("last_touch_row X0 Y0 X1 Y1 TEXT"). One more
// line, "panel_item_width W", gives the width of the panel's widget frames: a slider's track starts
// at its widget's left edge and is that wide, a check box's square is as wide as it is tall.
//
// The plug-in's widgets are found through the host's side of the drawing: a panel looks each
// variable up through the host right after drawing the widget before, so at each lookup the
// host's Dear ImGui context still holds that widget as its last item.
//
// Threads: the thread that builds the frames, which makes it; sdkCall from any. Lifetime: within one
// frame loop; whoever hands it the world's trace stops before it goes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <thread>

#include <imgui.h>

#include "pluginsdk/sdk_call.h"

namespace host {

class WidgetLayoutLog {
public:
    // `path` empty: no file, the widgets are only kept.
    explicit WidgetLayoutLog(std::string path);
    WidgetLayoutLog(const WidgetLayoutLog&) = delete;
    WidgetLayoutLog& operator=(const WidgetLayoutLog&) = delete;

    // [any thread, as the world traces it] One SDK call a plug-in made (World::setTraceListener):
    // whoever owns the world's trace hands each call on. Only this thread's lookups in the panel
    // count.
    void sdkCall(const pluginsdk::SdkCall& call);

    // Starts a frame's layout afresh.
    void beginFrame() {
        widgets_.clear();
        texts_.clear();
    }
    // Records something the host drew under `name`, with the text it shows if it is a line of text.
    void add(const std::string& name, ImVec2 min, ImVec2 max, const std::string& text = {});
    // Around the plug-in's drawing of its panel.
    void beginPanel();
    void endPanel();
    // Writes the file (whole) if the layout changed, if there is one. Returns why that failed, or
    // nothing.
    std::optional<std::string> endFrame();

    struct Rect {
        ImVec2 min;
        ImVec2 max;
    };
    // The frame's widgets so far, by name.
    const std::map<std::string, Rect>& widgets() const { return widgets_; }

private:
    void settleLookup();

    std::string path_;
    const std::thread::id frameThread_ = std::this_thread::get_id();
    std::map<std::string, Rect> widgets_;
    std::map<std::string, std::string> texts_;  // by widget name, for those that are text
    bool inPanel_ = false;
    std::string pendingVariable_;
    unsigned int itemAtLookup_ = 0;
    std::string written_;
};

}  // namespace host
