// The one rule for the names of the pictures the host writes: every picture is PNG, so its name
// ends in .png (in any case). A picture under another name would be opened as another format, and
// a name without the ending is most often a slip of the hand.
//
// Who calls it: the command line as it reads a picture's name (`panel --png`, `gui --screenshot`),
// so that nothing runs before the refusal; and writePng, before anything is written, which every
// picture command reaches. Any thread.
#pragma once

#include <optional>
#include <string>

namespace host {

// Why `file` is not a name for a PNG picture, naming it and what is expected; nothing if it is.
std::optional<std::string> pngNameRefusal(const std::string& file);

}  // namespace host
