// Builds without a line editor (Windows: Debian has no libedit for MinGW-w64). The console reads
// plain lines there.
#include "line_editor.h"

namespace host {

std::unique_ptr<LineEditor> startLineEditor(std::string /*prompt*/, std::string /*historyPath*/,
                                            std::function<CompletionWords()> /*words*/, std::ostream& /*warnings*/,
                                            std::string& unavailableBecause) {
    unavailableBecause.clear();  // the build never has one; nothing to tell
    return nullptr;
}

}  // namespace host
