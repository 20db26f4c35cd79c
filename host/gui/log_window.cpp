#include "log_window.h"

#include <cstdio>
#include <utility>

#include <imgui.h>

#include "printable_text.h"

namespace host {
namespace {

// log_line_0001, log_line_0002, ...: names that sort in the order the lines are shown.
std::string rowName(std::size_t row) {
    char name[32];
    std::snprintf(name, sizeof name, "log_line_%04zu", row + 1);
    return name;
}

}  // namespace

void LogWindow::add(std::string text, bool problem) {
    messages_.push_back({std::move(text), problem, session_.world().loggedLineCount()});
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

void LogWindow::drawLogLine(const pluginsdk::LogLine& line, std::size_t row) {
    ImGui::TextWrapped("[%s] %s", line.pluginName.c_str(), line.text.c_str());
    if (drawn_) {
        reportLastItem(drawn_, rowName(row), printable("[" + line.pluginName + "] " + line.text));
    }
}

// Whole, wrapped at the log's width: a refused module's reason is often longer than a line.
void LogWindow::drawMessage(const Message& message, std::size_t row) {
    const char* prefix = message.problem ? "error: " : "";
    ImGui::PushStyleColor(ImGuiCol_Text, message.problem ? ImVec4(1.0f, 0.4f, 0.4f, 1.0f)
                                                         : ImVec4(0.6f, 0.6f, 0.6f, 1.0f));
    ImGui::TextWrapped("%s%s", prefix, message.text.c_str());
    ImGui::PopStyleColor();
    if (drawn_) {
        reportLastItem(drawn_, rowName(row), printable(prefix + message.text));
    }
}

void LogWindow::draw() {
    ImGui::SetNextWindowPos(ImVec2(10.0f, 580.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(500.0f, 170.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Plug-in log")) {
        const std::deque<pluginsdk::LogLine> lines = session_.world().recentLogLines();
        // Each message among the plug-in's lines where it came, as standard output has them.
        std::size_t row = 0;
        auto message = messages_.begin();
        for (const pluginsdk::LogLine& line : lines) {
            for (; message != messages_.end() && message->afterLine < line.number; ++message) {
                drawMessage(*message, row++);
            }
            drawLogLine(line, row++);
        }
        for (; message != messages_.end(); ++message) {
            drawMessage(*message, row++);
        }
        const std::uint64_t shown = (lines.empty() ? 0 : lines.back().number) + messagesSeen_;
        if (shown != shownLines_ && ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) {
            ImGui::SetScrollHereY(1.0f);
        }
        shownLines_ = shown;
    }
    ImGui::End();
}

}  // namespace host
