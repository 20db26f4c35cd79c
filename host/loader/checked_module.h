// A module file made ready to load: pinned, so that the bytes the host checks are the bytes it
// loads (platform/dynamic_library.h: a private copy on POSIX, the file held on Windows); checked as
// a complete module of this platform (module_file_check.h), before and after pinning; and opened
// once in a throw-away child process (platform/module_trial.h), so that a static set-up that
// throws, crashes or hangs is a refusal, not the host's end.
//
// Threads: the thread that loads modules. Lifetime: keep it for as long as the module loaded from
// it is loaded.
#pragma once

#include <string>

#include "platform/dynamic_library.h"

namespace host {

// How long one call into a plug-in, and a module's trial, may run before it counts as hung, unless
// the user says otherwise (--plugin-timeout).
inline constexpr double kDefaultPluginTimeoutSeconds = 10.0;

class CheckedModule {
public:
    // Throws HostError ("cannot load 'PATH': ..."). A static set-up still running in the child after
    // `trialSeconds` (0: no limit) is a refusal.
    static CheckedModule check(const std::string& path, double trialSeconds);

    // The file as it was named.
    const std::string& path() const { return path_; }
    // The file the platform's loader opens.
    const std::string& loadPath() const { return pinned_.path(); }
    // `text`, from the platform's loader, naming the file as it was named where it names the file
    // opened.
    std::string namingTheFileAsGiven(std::string text) const;

private:
    CheckedModule(std::string path, PinnedModuleFile pinned) : path_(std::move(path)), pinned_(std::move(pinned)) {}

    std::string path_;
    PinnedModuleFile pinned_;
};

}  // namespace host
