// Files the host writes (pictures today, its config file later) are written whole or not at all:
// the bytes go to a temporary file in the target's folder, which is flushed to disk and then
// renamed over the target. A reader never sees a half-written file, and a failed write leaves the
// old file exactly as it was.
//
// Threads: any thread; two writers racing for one target leave one of the two files whole.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace host {

// A file that could not be written; the message is "cannot write FILE: REASON", the reason in the
// system's words.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file at `path` with `bytes`, creating it if it is missing. Throws FileWriteError;
// the temporary file is removed then and the old file, if any, is untouched.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace host
