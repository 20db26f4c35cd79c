#include "widget_layout.h"

#include <imgui_internal.h>

namespace quorvel_test {

LayoutRecorder::LayoutRecorder(pluginsdk::World& world) : world_(world) {
    world_.setTraceListener([this](const pluginsdk::SdkCall& call) {
        if (call.kind == pluginsdk::SdkCall::Kind::GetCvar) {
            const ImGuiContext& g = *ImGui::GetCurrentContext();
            items_.push_back({call.name, g.LastItemData.ID, {g.LastItemData.Rect.Min, g.LastItemData.Rect.Max}});
        }
    });
}

LayoutRecorder::~LayoutRecorder() {
    world_.setTraceListener(nullptr);
}

PanelLayout LayoutRecorder::finish(const std::string& windowTitle) {
    PanelLayout layout;
    ImGuiWindow* window = ImGui::FindWindowByName(windowTitle.c_str());
    if (window == nullptr) {
        return layout;
    }
    auto labelOf = [](const std::string& variable) -> const char* {
        for (const PanelWidget& widget : kPanelWidgets) {
            if (variable == widget.variable) {
                return widget.label;
            }
        }
        return nullptr;
    };
    layout.itemWidth = window->DC.ItemWidth;
    float lastWidgetTop = -1e30f;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        layout.lookups.push_back(items_[i].lookup);
        const char* label = labelOf(items_[i].lookup);
        if (label == nullptr || i + 1 == items_.size()) {
            continue;
        }
        // The item the host saw at the next lookup, if it is this widget.
        if (items_[i + 1].id == window->GetID(label)) {
            layout.widgets[label] = items_[i + 1].rect;
            lastWidgetTop = items_[i + 1].rect.min.y;
        }
    }
    // The last line of the window: a widget of its own if it lies below every widget seen so far.
    if (!items_.empty() && window->DC.PrevLineSize.y > 0.0f && window->DC.CursorPosPrevLine.y > lastWidgetTop) {
        if (const char* label = labelOf(items_.back().lookup)) {
            const ImVec2 min(window->DC.CursorPos.x, window->DC.CursorPosPrevLine.y);
            const ImVec2 max(window->DC.CursorPosPrevLine.x, min.y + window->DC.PrevLineSize.y);
            layout.widgets[label] = {min, max};
        }
    }
    return layout;
}

WidgetRect checkBoxSquare(const WidgetRect& widget) {
    const float side = widget.max.y - widget.min.y;
    return {widget.min, {widget.min.x + side, widget.max.y}};
}

WidgetRect sliderTrack(const WidgetRect& widget, float itemWidth) {
    return {widget.min, {widget.min.x + itemWidth, widget.max.y}};
}

}  // namespace quorvel_test
