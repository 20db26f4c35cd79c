// Dear ImGui's stacks as a plug-in's panel must leave them: the host begins its window, the panel
// draws in it, and whatever the panel pushes or begins it must pop or end before it returns. A panel
// that does not (or that throws half-way) would make Dear ImGui's own checks stop the program at the
// window's end, in the host's code; so the host looks at the stacks around the panel, puts them back
// itself, and says what the panel left.
//
// Threads: the thread that builds the frame, inside the host's window.
#pragma once

#include <string>

struct ImGuiWindow;

namespace host {

class PanelStacks {
public:
    // The stacks now, in the host's window, just before the panel draws.
    static PanelStacks now();

    // What the stacks hold now that they did not at `before`, in words ("an ID pushed and not
    // popped; a child window begun and not ended"); empty if nothing.
    std::string leftSince(const PanelStacks& before) const;

    // Ends the windows begun since `before` and pops what was pushed since, so that the host's window
    // can end.
    static void restore(const PanelStacks& before);
    // Whether the window the panel was given is still open: a panel that calls ImGui::End once too
    // often ends it, and the host must not end it again (Dear ImGui's assertion would stop the host
    // in its own code).
    bool hostWindowOpenSince(const PanelStacks& before) const { return windows_ >= before.windows_; }

private:
    ImGuiWindow* window_ = nullptr;
    int windows_ = 0;
    int ids_ = 0;
    int itemWidths_ = 0;
    int styleVariables_ = 0;
    int colours_ = 0;
    int fonts_ = 0;
    int groups_ = 0;
    int itemFlags_ = 0;
    int disabled_ = 0;
    int treeDepth_ = 0;
};

}  // namespace host
