// The console's line history as a file: one line per entry, oldest first, written whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace host {

// How many lines the history keeps; older ones are dropped.
inline constexpr std::size_t kHistoryLines = 1000;

// The last kHistoryLines lines of the file at `path` (none if it does not exist). Empty lines and
// lines holding control characters are skipped. Returns why the file could not be read, with
// nothing in `lines`, or nothing.
std::optional<std::string> readHistory(const std::string& path, std::vector<std::string>& lines);

// Writes the last kHistoryLines of `lines` to `path` whole (creating its folder). Returns why that
// failed, or nothing; the old file is then kept.
std::optional<std::string> writeHistory(const std::string& path, const std::vector<std::string>& lines);

}  // namespace host
