// Builds without a line editor (Windows: Debian has no libedit for MinGW-w64). The console reads
// plain lines there, so no editor is ever made.
#include "line_editor.h"

namespace host {

std::unique_ptr<LineEditor> LineEditor::start(std::string /*prompt*/, std::string /*historyPath*/,
                                              std::function<CompletionWords()> /*words*/, std::ostream& /*warnings*/) {
    return nullptr;
}

LineEditor::~LineEditor() = default;

std::optional<std::string> LineEditor::readLine() {
    return std::nullopt;
}

}  // namespace host
