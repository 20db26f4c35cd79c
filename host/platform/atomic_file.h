// Writing a file whole or not at all.
//
// The contents go to a temporary file in the same folder, which is flushed to disk and then renamed
// over the target. A crash, a full disk or a failed write never leaves the target half written or
// empty: either it holds the new contents, or it is as it was. The temporary file is removed when
// anything fails.
//
// Threads: any thread; two writers of the same target race only over which contents win.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

// Writes `contents` to `path` as described above. Returns nothing on success, or why it failed
// (naming the file and the system's reason); the old file is then kept.
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view contents);

// Creates `path` and any missing folders above it. Returns why it failed, or nothing.
std::optional<std::string> createFolders(const std::string& path);

}  // namespace host
