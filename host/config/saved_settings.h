// The host's saved console variables: a settings file read at start, whose values a plug-in's
// variables take when it registers them, and into which the host writes what its session changed,
// at unload, at exit and, in the live window, shortly after a change.
//
// Several sessions may keep one file (two consoles, a console and the live window), so a save
// writes only the variables this session changed since it read or last saved them, into the file
// as it is at that moment: read again under a lock between processes, the changed lines set, written
// whole and renamed over it. Whatever other sessions wrote meanwhile stays, and so do lines for any
// variable not changed here (another plug-in's, a module's not loaded now, one registered not to be
// saved), comments and lines that cannot be read. A default never changed is never written, so a
// default changed in a later build reaches every machine. Values are written as their text: "0.6"
// as typed, a value from the panel as the shortest text that reads back as the same float; a line
// whose number already reads as the value is left as the person wrote it.
//
// Threads: the host's thread. Ownership: the host owns it and keeps it alive while a world it is
// attached to (HostSession::useSavedSettings) can register variables.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "pluginsdk/world_types.h"
#include "settings_file.h"

namespace host {

class SavedSettings {
public:
    // Reads `path`. A missing file is an empty one. Lines that cannot be read, and a file that
    // exists but cannot be read, are reported on `warnings` as "FILE:LINE: warning: ...".
    SavedSettings(std::string path, std::ostream& warnings);

    const std::string& path() const { return path_; }

    // The host calls this when a plug-in registers a variable that did not exist: a saved value
    // replaces the default (the default stays the default). Of several lines for the name, the last
    // one whose value the variable accepts wins. Each line the variable refuses, and each line a
    // later one overrides, is reported on `warnings`; with none accepted the default stays.
    void applyTo(pluginsdk::detail::ConsoleVariable& variable);

    // [loader thread, after a load] The variables the plug-in `pluginName` just registered: each
    // line whose name is none of the world's variables (`allNames`) but close to one of these
    // (close_names.h) is reported on `warnings`, once a session, naming the likely variable. The
    // line stays as it is: it may be another plug-in's.
    void reportNamesCloseTo(const std::vector<std::string>& registered, const std::vector<std::string>& allNames,
                            const std::string& pluginName);

    using Variables = std::vector<std::shared_ptr<pluginsdk::detail::ConsoleVariable>>;

    // Writes the values this session changed among `variables` into the file as it is now (see
    // above); nothing is written if nothing changed. A variable whose line would not read back (its
    // name) or would make the file too large for the host to read is left out, with a warning
    // naming it, once. Returns why it failed, or nothing; after a
    // failure the file is as it was, and the changes are tried again at the next save.
    std::optional<std::string> save(const Variables& variables);

private:
    std::string path_;
    std::ostream& warnings_;
    SettingsFile file_;  // as read at start, for applyTo
    // Each variable's value as this session took it from the file, or last saved it; one not here
    // started at its default.
    std::map<std::string, std::string> known_;
    std::set<int> closeNamesReported_;  // by line
    // Variables the file cannot hold, told once each (leaveOut).
    std::set<std::string> leftOut_;
    void leaveOut(const std::string& name, const std::string& why);
};

}  // namespace host
