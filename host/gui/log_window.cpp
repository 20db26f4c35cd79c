#include "log_window.h"

#include <utility>

#include <imgui.h>

namespace host {

void LogWindow::add(std::string text, bool problem) {
    messages_.push_back({std::move(text), problem});
    ++messagesSeen_;
    if (messages_.size() > pluginsdk::World::kRecentLogLines) {
        messages_.pop_front();
    }
}

void LogWindow::collectFailures() {
    for (std::string& failure : session_.takeCallbackFailures()) {
        report(std::move(failure));
    }
}

void LogWindow::draw() {
    ImGui::SetNextWindowPos(ImVec2(10.0f, 580.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(500.0f, 170.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Plug-in log")) {
        const pluginsdk::World& world = session_.world();
        for (const pluginsdk::LogLine& line : world.recentLogLines()) {
            ImGui::TextWrapped("[%s] %s", line.pluginName.c_str(), line.text.c_str());
        }
        // Whole, wrapped at the log's width: a refused module's reason is often longer than a line.
        for (const Message& message : messages_) {
            ImGui::PushStyleColor(ImGuiCol_Text, message.problem ? ImVec4(1.0f, 0.4f, 0.4f, 1.0f)
                                                                 : ImVec4(0.6f, 0.6f, 0.6f, 1.0f));
            ImGui::TextWrapped("%s%s", message.problem ? "error: " : "", message.text.c_str());
            ImGui::PopStyleColor();
        }
        const std::uint64_t shown = world.loggedLineCount() + messagesSeen_;
        if (shown != shownLines_ && ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) {
            ImGui::SetScrollHereY(1.0f);
        }
        shownLines_ = shown;
    }
    ImGui::End();
}

}  // namespace host
