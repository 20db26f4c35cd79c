// Text from outside (a script line, a file name, a plug-in's words) made safe to print in a
// message: control characters, NUL included, are written as \xHH, so a hostile line cannot move
// the terminal's cursor, change its colours or cut a message short.
#pragma once

#include <string>
#include <string_view>

namespace host {
std::string printable(std::string_view text);

// printable(text) in double quotes, as messages show a word or value they name.
std::string quoted(std::string_view text);
}  // namespace host
