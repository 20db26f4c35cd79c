// Text from outside (a script line, a file name, a plug-in's words) made safe to print in a
// message: control characters, NUL included, are written as \xHH, so a hostile line cannot move
// the terminal's cursor, change its colours or cut a message short. The host's one escaper: the
// files it writes for other programs (check's XML and JSON reports) and its settings file escape
// with it too.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Which bytes are written as they are.
enum class Plain {
    Printing,        // all but control characters (UTF-8 stays as it is)
    AsciiAndLayout,  // printing ASCII, line ends and tabs: text fit for XML and JSON whatever it holds
};

std::string printable(std::string_view text, Plain plain = Plain::Printing);

// printable(text) in double quotes, as messages show a word or value they name.
std::string quoted(std::string_view text);
}  // namespace host
