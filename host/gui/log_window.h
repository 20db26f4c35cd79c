// The live window's log: the plug-in's log lines and, among them where they happened, what went
// wrong (a plug-in callback that threw, a refused reload, a failed save) in red and what the host
// did (a reload) in grey, each wrapped whole at the window's width. It follows new lines while the
// view is at the bottom and leaves it alone while the user scrolls back.
//
// Threads: the thread that builds the frames. The session must outlive the window.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "drawn_item.h"
#include "session/host_session.h"

namespace host {

class LogWindow {
public:
    explicit LogWindow(HostSession& session) : session_(session) {}

    // Shows a problem: a failed reload or save, a callback that threw.
    void report(std::string problem) { add(std::move(problem), true); }
    // Shows something the host did, such as a reload.
    void note(std::string text) { add(std::move(text), false); }
    // Takes the plug-in callbacks that threw since the last call from the session and shows them.
    void collectFailures();
    // Draws the window into the current Dear ImGui frame.
    void draw();
    // Told where each line of the log is, and what it says (log_line_NNNN, oldest first), as it is
    // drawn.
    void onItemDrawn(DrawnItem drawn) { drawn_ = std::move(drawn); }

private:
    struct Message {
        std::string text;
        bool problem;
        std::uint64_t afterLine;  // how many lines the plug-in had logged when it came
    };
    void add(std::string text, bool problem);
    void drawMessage(const Message& message, std::size_t row);
    void drawLogLine(const pluginsdk::LogLine& line, std::size_t row);

    HostSession& session_;
    DrawnItem drawn_;
    std::deque<Message> messages_;  // the most recent, as many as the world keeps log lines
    std::uint64_t messagesSeen_ = 0;
    std::uint64_t shownLines_ = 0;  // lines logged and messages seen when the view last followed
};

}  // namespace host
