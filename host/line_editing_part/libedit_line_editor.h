// The line editor of the line editing part: libedit, through its readline interface.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "console/line_editor.h"

namespace host {

class LibeditLineEditor final : public LineEditor {
public:
    LibeditLineEditor(std::string prompt, std::string historyPath, std::function<CompletionWords()> words,
                      std::ostream& warnings);
    ~LibeditLineEditor() override;

    std::optional<std::string> readLine() override;

private:
    std::string prompt_;
    std::string historyPath_;
    std::ostream& warnings_;
};

}  // namespace host
