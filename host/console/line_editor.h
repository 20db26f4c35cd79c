// Reading the console's lines from a person at a terminal: line editing, history with the arrow
// keys kept across sessions, and Tab completion. Where the build has no line editor (Windows), or
// standard input is not a terminal, the console reads plain lines instead.
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
    // Whether this build can edit lines.
    static bool available();

    // Starts editing on the terminal with `prompt`. The history is read from `historyPath` (empty:
    // none is kept) and written back when the editor is destroyed; problems with it are warnings
    // on `warnings`. `words` is asked for the words to complete at each Tab.
    LineEditor(std::string prompt, std::string historyPath, std::function<CompletionWords()> words,
               std::ostream& warnings);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // The next line, without its line end, or nothing at the end of input.
    std::optional<std::string> readLine();

private:
    std::string prompt_;
    std::string historyPath_;
    std::ostream& warnings_;
};

}  // namespace host
