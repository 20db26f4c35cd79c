#include "module_watcher.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace host {

ModuleWatcher::ModuleWatcher(std::string path, double quietSeconds)
    : path_(std::move(path)), quietSeconds_(quietSeconds), loaded_(look()), lastSeen_(loaded_) {}

ModuleWatcher::Look ModuleWatcher::look() const {
    Look found;
    std::error_code error;
    const std::string located = fromStartingDirectory(path_);
    const auto size = std::filesystem::file_size(located, error);
    if (error) {
        return found;  // missing for now (a build may remove it before writing it again)
    }
    const auto modified = std::filesystem::last_write_time(located, error);
    if (error) {
        return found;
    }
    found.exists = true;
    found.size = size;
    found.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
    return found;
}

bool ModuleWatcher::poll(double now) {
    const Look seen = look();
    if (!(seen == lastSeen_)) {
        lastSeen_ = seen;
        changedAt_ = now;
        return false;
    }
    if (!seen.exists || seen == loaded_ || now - changedAt_ < quietSeconds_) {
        return false;
    }
    loaded_ = seen;
    return true;
}

}  // namespace host
