// The line editing part's one export: the table of what it does.
#include "line_editing_part.h"

#include "libedit_line_editor.h"

namespace {

std::unique_ptr<host::LineEditor> startLibeditLineEditor(std::string prompt, std::string historyPath,
                                                         std::function<host::CompletionWords()> words,
                                                         std::ostream& warnings) {
    return std::make_unique<host::LibeditLineEditor>(std::move(prompt), std::move(historyPath), std::move(words),
                                                     warnings);
}

const host::LineEditingPart lineEditingPart{host::kLineEditingPartVersion, &startLibeditLineEditor};

}  // namespace

extern "C" __attribute__((visibility("default"))) const host::LineEditingPart* quorvelHostLineEditingPart() {
    return &lineEditingPart;
}
