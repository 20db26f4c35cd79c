// Builds without a line editor (Windows: Debian has no libedit for MinGW-w64). The console reads
// plain lines there.
#include "line_editor.h"

namespace host {

bool LineEditor::available() {
    return false;
}

LineEditor::LineEditor(std::string prompt, std::string historyPath, std::function<CompletionWords()> /*words*/,
                       std::ostream& warnings)
    : prompt_(std::move(prompt)), historyPath_(std::move(historyPath)), warnings_(warnings) {}

LineEditor::~LineEditor() = default;

std::optional<std::string> LineEditor::readLine() {
    return std::nullopt;
}

}  // namespace host
