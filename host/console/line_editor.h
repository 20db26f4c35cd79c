// Reading the console's lines from a person at a terminal: line editing, history with the arrow
// keys kept across sessions, and Tab completion. Where the build or the installation has no line
// editor (Windows; on Linux, the line editing part missing), or standard input is not a terminal,
// the console reads plain lines instead.
//
// On Linux the editor lives in the line editing part (host/line_editing_part), which links libedit
// and its libraries; startLineEditor loads it on first use, so scripts and a console reading from
// a pipe never load them.
//
// Threads: the main thread. One editor at a time (the line editor library has one state).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "completion.h"

namespace host {

class LineEditor {
public:
    LineEditor() = default;
    virtual ~LineEditor() = default;  // writes the history back
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // The next line, without its line end, or nothing at the end of input.
    virtual std::optional<std::string> readLine() = 0;
};

// Starts editing on the terminal with `prompt`. The history is read from `historyPath` (empty:
// none is kept) and written back when the editor is destroyed; problems with it are warnings on
// `warnings`. `words` is asked for the words to complete at each Tab.
// Returns null where there is no line editor; `unavailableBecause` then says why if that is worth
// telling the person (empty on builds that never have one).
std::unique_ptr<LineEditor> startLineEditor(std::string prompt, std::string historyPath,
                                            std::function<CompletionWords()> words, std::ostream& warnings,
                                            std::string& unavailableBecause);

}  // namespace host
