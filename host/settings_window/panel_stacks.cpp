#include "panel_stacks.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace host {
namespace {

void say(std::string& text, int count, const char* one, const char* many, const char* what) {
    if (count <= 0) {
        return;
    }
    if (!text.empty()) {
        text += "; ";
    }
    text += (count == 1 ? std::string(one) : std::to_string(count) + " " + many) + " " + what;
}

}  // namespace

PanelStacks PanelStacks::now() {
    const ImGuiContext& g = *ImGui::GetCurrentContext();
    PanelStacks stacks;
    stacks.window_ = g.CurrentWindow;
    stacks.windows_ = g.CurrentWindowStack.Size;
    stacks.ids_ = g.CurrentWindow->IDStack.Size;
    stacks.itemWidths_ = g.CurrentWindow->DC.ItemWidthStack.Size;
    stacks.styleVariables_ = g.StyleVarStack.Size;
    stacks.colours_ = g.ColorStack.Size;
    stacks.fonts_ = g.FontStack.Size;
    stacks.groups_ = g.GroupStack.Size;
    stacks.itemFlags_ = g.ItemFlagsStack.Size;
    stacks.disabled_ = g.DisabledStackSize;
    stacks.treeDepth_ = g.CurrentWindow->DC.TreeDepth;
    return stacks;
}

std::string PanelStacks::leftSince(const PanelStacks& before) const {
    std::string text;
    say(text, windows_ - before.windows_, "a window", "windows", "begun and not ended");
    say(text, before.windows_ - windows_, "the host's window", "windows of the host's",
        "ended by the panel (ImGui::End called once more than ImGui::Begin)");
    if (window_ == before.window_) {
        say(text, ids_ - before.ids_, "an ID", "IDs", "pushed and not popped");
        say(text, itemWidths_ - before.itemWidths_, "an item width", "item widths", "pushed and not popped");
        say(text, treeDepth_ - before.treeDepth_, "a tree node", "tree nodes", "opened and not popped");
    }
    say(text, styleVariables_ - before.styleVariables_, "a style variable", "style variables", "pushed and not popped");
    say(text, colours_ - before.colours_, "a style colour", "style colours", "pushed and not popped");
    say(text, fonts_ - before.fonts_, "a font", "fonts", "pushed and not popped");
    say(text, groups_ - before.groups_, "a group", "groups", "begun and not ended");
    say(text, itemFlags_ - before.itemFlags_, "an item flag", "item flags", "pushed and not popped");
    say(text, disabled_ - before.disabled_, "a disabled block", "disabled blocks", "begun and not ended");
    return text;
}

void PanelStacks::restore(const PanelStacks& before) {
    ImGuiContext& g = *ImGui::GetCurrentContext();
    if (g.CurrentWindowStack.Size < before.windows_) {
        return;  // the panel ended the host's window, and with it what was pushed in it
    }
    // Windows the panel began, innermost first, each with what was pushed in it.
    while (g.CurrentWindowStack.Size > before.windows_) {
        ImGui::ErrorCheckEndWindowRecover(nullptr);
        if ((g.CurrentWindow->Flags & ImGuiWindowFlags_ChildWindow) != 0) {
            ImGui::EndChild();
        } else {
            ImGui::End();
        }
    }
    // The host's window began right before the panel, so what it held at its beginning is what the
    // panel was given; item widths are left to each window by Dear ImGui and popped here.
    ImGui::ErrorCheckEndWindowRecover(nullptr);
    while (g.CurrentWindow->DC.ItemWidthStack.Size > before.itemWidths_) {
        ImGui::PopItemWidth();
    }
}

}  // namespace host
