// Watching the module file for a new build: a build writes the file in several steps, so a change
// counts only once the file has stopped changing for a moment.
//
// Threads: the host's thread. It looks at the file only when polled.
#pragma once

#include <cstdint>
#include <string>

namespace host {

class ModuleWatcher {
public:
    // Takes the file as it is now as the one loaded. A change counts once the file has looked the
    // same for `quietSeconds`.
    ModuleWatcher(std::string path, double quietSeconds);

    // Looks at the file at time `now` (seconds, from any fixed origin). True once, when the file
    // differs from the one loaded and has been quiet long enough; it then counts as loaded.
    bool poll(double now);

private:
    struct Look {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // the file clock's ticks
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    std::string path_;
    double quietSeconds_;
    Look loaded_;
    Look lastSeen_;
    double changedAt_ = 0.0;
};

}  // namespace host
