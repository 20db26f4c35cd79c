// The plug-in's log lines that `expect log` can still match: those logged since the last match.
// Lines before a match can never be matched again and are dropped; repeats of one line in a row are
// kept as one text and a count, so a long run of touches that log the same line costs nothing more
// than one.
//
// Threads: one. Filled by the interpreter from the session's log as lines are logged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace host {

class UnmatchedLog {
public:
    struct Run {
        std::string text;
        std::uint64_t count;  // this text, logged this many times in a row
    };

    void add(const std::string& text);
    // Finds the first unmatched line equal to `text`. If there is one, it and every line before it
    // are dropped and the result is true; otherwise nothing changes.
    bool match(std::string_view text);
    // The unmatched lines, oldest first.
    const std::deque<Run>& runs() const { return runs_; }

private:
    std::deque<Run> runs_;
};

}  // namespace host
