// Whether a name someone wrote by hand is probably another name misspelt: the same letters in
// another case, or one or two letters typed wrong, left out, added or swapped.
//
// Threads: any.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host {

// The name among `names` that `written` is closest to, if one is that close and `written` is not
// itself among them. A short name may be one edit off at most: two edits turn any short name
// into another.
std::optional<std::string> closeName(const std::string& written, const std::vector<std::string>& names);

}  // namespace host
