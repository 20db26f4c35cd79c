#include "widget_layout_log.h"

#include <cstdio>

#include <imgui_internal.h>

#include "platform/files.h"

namespace host {

WidgetLayoutLog::WidgetLayoutLog(std::string path) : path_(std::move(path)) {}

void WidgetLayoutLog::sdkCall(const pluginsdk::SdkCall& call) {
    // With separate threads the game thread's plug-in calls are traced too, while this thread
    // draws: they are not the panel's, and this log is this thread's alone.
    if (std::this_thread::get_id() != frameThread_ || !inPanel_ || call.kind != pluginsdk::SdkCall::Kind::GetCvar) {
        return;
    }
    settleLookup();
    pendingVariable_ = call.name;
    itemAtLookup_ = ImGui::GetCurrentContext()->LastItemData.ID;
}

// The item drawn since the last lookup, if any, is the widget of the variable looked up.
void WidgetLayoutLog::settleLookup() {
    const ImGuiLastItemData& last = ImGui::GetCurrentContext()->LastItemData;
    if (!pendingVariable_.empty() && last.ID != itemAtLookup_ && last.ID != 0) {
        widgets_["variable:" + pendingVariable_] = {last.Rect.Min, last.Rect.Max};
    }
    pendingVariable_.clear();
}

void WidgetLayoutLog::add(const std::string& name, ImVec2 min, ImVec2 max, const std::string& text) {
    widgets_[name] = {min, max};
    if (!text.empty()) {
        texts_[name] = text;
    }
}

void WidgetLayoutLog::beginPanel() {
    inPanel_ = true;
    pendingVariable_.clear();
}

void WidgetLayoutLog::endPanel() {
    settleLookup();
    inPanel_ = false;
    // A slider's track starts its widget and is this wide; its label follows.
    const float itemWidth = ImGui::CalcItemWidth();
    const ImVec2 origin = ImGui::GetWindowPos();
    widgets_["panel_item_width"] = {origin, ImVec2(origin.x + itemWidth, origin.y)};
}

std::optional<std::string> WidgetLayoutLog::endFrame() {
    std::string text;
    for (const auto& [name, rect] : widgets_) {
        if (name == "panel_item_width") {
            char line[64];
            std::snprintf(line, sizeof line, "%s %.1f\n", name.c_str(), static_cast<double>(rect.max.x - rect.min.x));
            text += line;
            continue;
        }
        char line[256];
        std::snprintf(line, sizeof line, "%s %.1f %.1f %.1f %.1f", name.c_str(), static_cast<double>(rect.min.x),
                      static_cast<double>(rect.min.y), static_cast<double>(rect.max.x),
                      static_cast<double>(rect.max.y));
        text += line;
        if (const auto shown = texts_.find(name); shown != texts_.end()) {
            text += ' ' + shown->second;
        }
        text += '\n';
    }
    if (text == written_ || path_.empty()) {
        return std::nullopt;
    }
    written_ = text;
    try {
        writeFileAtomically(path_, text);
    } catch (const HostError& error) {
        return error.what();
    }
    return std::nullopt;
}

}  // namespace host
