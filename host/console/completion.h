// Tab completion in the console: what the word being typed can become, from the console language's
// command table and the console variables that exist now.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

struct CompletionWords {
    struct Command {
        std::string name;
        // Its usage as the command table gives it ("trace on|off", "remove NAME"); alternatives
        // are separated by " | ", each beginning with the command's name.
        std::string usage;
    };
    std::vector<Command> commands;
    std::vector<std::string> variables;  // console variable names
};

// The words that complete the word starting at `wordStart` of `line` and running to its end, in
// sorted order without repeats. The first word is a command or a variable. The second is what the
// command's usage names there: each word in lower case as it stands (`on|off` gives both), NAME a
// variable, COMMAND a command, in brackets or not. Nothing is offered after a comment or where the language takes free
// text.
std::vector<std::string> completeWord(std::string_view line, std::size_t wordStart, const CompletionWords& words);

}  // namespace host
