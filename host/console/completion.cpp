#include "completion.h"

#include <algorithm>

#include "console_line.h"

namespace host {
namespace {

void addMatching(std::vector<std::string>& matches, const std::vector<std::string>& candidates,
                 std::string_view prefix) {
    for (const std::string& candidate : candidates) {
        if (candidate.size() >= prefix.size() && std::string_view(candidate).substr(0, prefix.size()) == prefix) {
            matches.push_back(candidate);
        }
    }
}

// Whether a '#' that starts a word, before or as the word at `wordStart`, makes it a comment.
bool inComment(std::string_view line, std::size_t wordStart) {
    for (std::size_t i = 0; i <= wordStart && i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> completeWord(std::string_view line, std::size_t wordStart, const CompletionWords& words) {
    wordStart = std::min(wordStart, line.size());
    const std::string_view prefix = line.substr(wordStart);
    const ConsoleLine before(line.substr(0, wordStart));
    std::vector<std::string> matches;
    if (inComment(line, wordStart)) {
        return matches;
    }
    if (before.empty()) {
        addMatching(matches, words.commands, prefix);
        addMatching(matches, words.variables, prefix);
    } else if (before.size() == 1) {
        const std::string_view command = before[0];
        if (command == "trace") {
            addMatching(matches, {"off", "on"}, prefix);
        } else if (command == "expect") {
            addMatching(matches, {"log", "magnus", "velocity"}, prefix);
            addMatching(matches, words.variables, prefix);
        } else if (command == "remove") {
            addMatching(matches, words.variables, prefix);
        } else if (command == "panel") {
            addMatching(matches, {"png"}, prefix);
        }
    }
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

}  // namespace host
