// Reading the console's lines from a person at a terminal: line editing, history with the arrow
// keys kept across sessions, and Tab completion, by libedit. Where the build has no line editor
// (Windows: Debian has no libedit for MinGW-w64), or standard input is not a terminal, the console
// reads plain lines instead.
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
    // Starts editing on the terminal with `prompt`. The history is read from `historyPath` (empty:
    // none is kept) and written back when the editor is destroyed; problems with it are warnings on
    // `warnings`. `words` is asked for the words to complete at each Tab. Null where the build has
    // no line editor.
    static std::unique_ptr<LineEditor> start(std::string prompt, std::string historyPath,
                                             std::function<CompletionWords()> words, std::ostream& warnings);
    ~LineEditor();  // writes the history back
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // The next line, without its line end, or nothing at the end of input.
    std::optional<std::string> readLine();

private:
    LineEditor(std::string prompt, std::string historyPath, std::ostream& warnings);

    std::string prompt_;
    std::string historyPath_;
    std::ostream& warnings_;
};

}  // namespace host
