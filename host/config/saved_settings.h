// The host's saved console variables: a settings file read at start, whose values a plug-in's
// variables take when it registers them, and which the host writes back at unload, at exit and,
// in the live window, shortly after a change.
//
// Only variables registered in this session, and with saveToConfig, are written; lines for any
// other variable (another plug-in's, one of a module not loaded now, one registered not to be
// saved), comments and lines that cannot be read are written back as they were. Numeric variables
// are written as "%.9g", which reads back as the same float; a line whose number already reads as
// the current value is left as the person wrote it.
//
// Threads: the host's thread. Ownership: the host owns it and keeps it alive while a world it is
// attached to (HostSession::useSavedSettings) can register variables.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "pluginsdk/world_types.h"
#include "settings_file.h"

namespace host {

class SavedSettings {
public:
    // Reads `path`. A missing file is an empty one. Lines that cannot be read are reported on
    // `warnings` as "FILE:LINE: warning: ..."; a file that exists but cannot be read is reported
    // there too, and then nothing is saved over it (save says so).
    SavedSettings(std::string path, std::ostream& warnings);

    const std::string& path() const { return path_; }

    // The host calls this when a plug-in registers a variable that did not exist: a saved value
    // replaces the default (the default stays the default). A saved value the variable refuses is
    // reported on `warnings` and the default stays.
    void applyTo(pluginsdk::detail::ConsoleVariable& variable);

    using Variables = std::vector<std::shared_ptr<pluginsdk::detail::ConsoleVariable>>;

    // Whether saving `variables` now would change the file.
    bool wouldChange(const Variables& variables) const;
    // Writes the file whole with the values of `variables` (nothing is written if nothing changed).
    // Returns why it failed, or nothing; after a failure the old file is as it was.
    std::optional<std::string> save(const Variables& variables);

private:
    SettingsFile merged(const Variables& variables) const;

    std::string path_;
    std::ostream& warnings_;
    SettingsFile file_;
    std::string written_;  // the file's text as last read or written
    std::optional<std::string> unreadable_;  // why the file could not be read at start
};

}  // namespace host
