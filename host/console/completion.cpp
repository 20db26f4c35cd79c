#include "completion.h"

#include <algorithm>

#include "console_line.h"

namespace host {
namespace {

void addIfMatching(std::vector<std::string>& matches, std::string_view candidate, std::string_view prefix) {
    if (candidate.substr(0, prefix.size()) == prefix) {
        matches.emplace_back(candidate);
    }
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    parts.push_back(text);
    return parts;
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

// A word the language takes as it stands: lower-case letters, digits, '_' and the '|' between
// choices (not "[X", "NAME" or "FILE").
bool isLiteral(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '|';
    });
}

// What the usage of a command names as its second word, in each of its alternatives.
void addSecondWords(std::vector<std::string>& matches, std::string_view usage, const CompletionWords& words,
                    std::string_view prefix) {
    for (const std::string_view alternative : split(usage, " | ")) {
        const ConsoleLine parts(alternative);
        if (parts.size() < 2) {
            continue;
        }
        // An optional word ("[COMMAND]") completes like one that is not.
        std::string_view word = parts[1];
        if (word.front() == '[') {
            word.remove_prefix(1);
            word = word.substr(0, word.find(']'));
        }
        if (word == "NAME") {
            for (const std::string& variable : words.variables) {
                addIfMatching(matches, variable, prefix);
            }
        } else if (word == "COMMAND") {
            for (const CompletionWords::Command& command : words.commands) {
                addIfMatching(matches, command.name, prefix);
            }
        } else if (isLiteral(word)) {
            for (const std::string_view choice : split(word, "|")) {
                addIfMatching(matches, choice, prefix);
            }
        }
    }
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
    for (const CompletionWords::Command& command : words.commands) {
        if (before.empty()) {
            addIfMatching(matches, command.name, prefix);
        } else if (before.size() == 1 && before[0] == command.name) {
            addSecondWords(matches, command.usage, words, prefix);
        }
    }
    if (before.empty()) {
        for (const std::string& variable : words.variables) {
            addIfMatching(matches, variable, prefix);
        }
    }
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

}  // namespace host
