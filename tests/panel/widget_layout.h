// Where the plug-in's widgets are in a frame, read from Dear ImGui's own layout, never from pixel
// constants.
//
// The panel looks each variable up through the host right after it has drawn the widget before
// it, so at each lookup the host's context still holds that widget as its last item (rectangle and
// ID). The last widget leaves nothing after it but the window's last line (window->DC) once the
// window has ended.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <imgui.h>

#include "pluginsdk/world.h"

namespace quorvel_test {

struct WidgetRect {
    ImVec2 min;
    ImVec2 max;
    ImVec2 center() const { return {(min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f}; }
};

// The panel's widgets, in drawing order, with the variables they show.
struct PanelWidget {
    const char* variable;
    const char* label;
};
inline constexpr PanelWidget kPanelWidgets[] = {
    {"quorvel_enabled_blue", "Active for blue team"},
    {"quorvel_enabled_orange", "Active for orange team"},
    {"quorvel_factor", "Speed Factor"},
    {"quorvel_trajectory", "% Trajectory Alterable"},
};

struct PanelLayout {
    std::vector<std::string> lookups;          // the variables the panel looked up, in order
    std::map<std::string, WidgetRect> widgets;  // by label: the widgets drawn, nothing else
    float itemWidth = 0.0f;                     // the window's width for a widget's frame
};

// Records the layout of the frame being built. Construct it before the settings window is drawn,
// call finish() after it has ended (the host's context still current).
class LayoutRecorder {
public:
    explicit LayoutRecorder(pluginsdk::World& world);
    ~LayoutRecorder();
    LayoutRecorder(const LayoutRecorder&) = delete;
    LayoutRecorder& operator=(const LayoutRecorder&) = delete;

    PanelLayout finish(const std::string& windowTitle);

private:
    struct LastItem {
        std::string lookup;
        ImGuiID id;
        WidgetRect rect;
    };
    pluginsdk::World& world_;
    std::vector<LastItem> items_;
};

// The check box's square: it starts the widget and is as tall as the widget's frame.
WidgetRect checkBoxSquare(const WidgetRect& widget);
// The slider's track: it starts the widget and is the window's item width wide; the label follows.
WidgetRect sliderTrack(const WidgetRect& widget, float itemWidth);

}  // namespace quorvel_test
