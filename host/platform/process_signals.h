// Signals that would end the host over a failed write.
#pragma once

namespace host {
// Writing to a closed pipe (SIGPIPE) or past the file-size limit (SIGXFSZ) ends a POSIX process by
// default; the host wants those writes to fail with an error it can report, and to keep its state.
// Called once by the program at start-up. Nothing to do on Windows.
void reportFailedWritesAsErrors();
}  // namespace host
