// How the live window's parts tell whoever drives the window from outside where a named thing was
// drawn and, for a line of text, what it said (the layout file, see WidgetLayoutLog).
//
// Threads: the thread that builds the frames, while it draws.
#pragma once

#include <functional>
#include <string>

#include <imgui.h>

namespace host {

using DrawnItem = std::function<void(const std::string& name, ImVec2 min, ImVec2 max, const std::string& text)>;

// Hands Dear ImGui's last item to `drawn`, if there is one to hand it to.
inline void reportLastItem(const DrawnItem& drawn, const std::string& name, const std::string& text = {}) {
    if (drawn) {
        drawn(name, ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), text);
    }
}

}  // namespace host
