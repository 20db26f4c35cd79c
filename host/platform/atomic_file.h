// Files the host writes (pictures today, its config file later) are written whole or not at all:
// the bytes go to a temporary file in the target's folder, which is flushed to disk and then
// renamed over the target. A reader never sees a half-written file, and a failed write leaves the
// old file exactly as it was.
//
// Threads: any thread; two writers racing for one target leave one of the two files whole.
#pragma once

#include <string>
#include <string_view>

#include "host_error.h"

namespace host {

// Replaces the file at `path` with `bytes`, creating it if it is missing. Throws HostError ("cannot write
// FILE: REASON", the reason in the system's words);
// the temporary file is removed then and the old file, if any, is untouched.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace host
