// The plug-in's log lines that `expect log` can still match: those logged since the last match.
// Lines before a match can never be matched again and are dropped; repeats of one line in a row are
// kept as one text and a count, so a long run of touches that log the same line costs nothing more
// than one. Only the last kKeptRuns runs are kept: a plug-in that logs a different line at every
// touch (a velocity in the text) would otherwise grow the host by a line per touch for as long as
// no `expect log` matches; older runs are forgotten and counted.
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

    // As many runs of different lines as the live window shows lines.
    static constexpr std::size_t kKeptRuns = 1000;

    // Adds a line; when that makes kKeptRuns + 1 runs, the oldest run is forgotten.
    void add(const std::string& text);
    // Finds the first unmatched line equal to `text`. If there is one, it and every line before it
    // (forgotten ones too) are dropped and the result is true; otherwise nothing changes.
    bool match(std::string_view text);
    // The unmatched lines still kept, oldest first.
    const std::deque<Run>& runs() const { return runs_; }
    // How many unmatched lines, logged before those kept, were forgotten.
    std::uint64_t forgottenLines() const { return forgottenLines_; }

private:
    std::deque<Run> runs_;
    std::uint64_t forgottenLines_ = 0;
};

}  // namespace host
