// Tab completion in the console: what the word being typed can become, from the console language's
// commands, the console variables that exist now, and the fixed words some commands take.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

struct CompletionWords {
    std::vector<std::string> commands;   // command names
    std::vector<std::string> variables;  // console variable names
};

// The words that complete the word starting at `wordStart` of `line` and running to its end, in
// sorted order without repeats. The first word is a command or a variable; after `trace` comes
// on|off, after `expect` velocity|magnus|log or a variable, after `remove` a variable, after
// `panel` png. Nothing is offered after a comment or where the language takes free text.
std::vector<std::string> completeWord(std::string_view line, std::size_t wordStart, const CompletionWords& words);

}  // namespace host
