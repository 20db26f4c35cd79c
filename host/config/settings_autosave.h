// Saving the settings shortly after a change, as the live window does: once the variables have
// held new values for a moment (a slider being dragged changes them every frame), they are saved
// once.
//
// Threads: the host's thread, once a frame. The saved settings must outlive it.
#pragma once

#include <optional>
#include <string>

#include "saved_settings.h"

namespace host {

class SettingsAutosave {
public:
    // Values are saved once they have not changed for `quietSeconds`.
    SettingsAutosave(SavedSettings& settings, double quietSeconds);

    // Looks at the variables at time `now` (seconds, from any fixed origin) and saves them if they
    // changed and have since been quiet long enough. Returns why a save failed, or nothing; a
    // failed save is tried again only after the next change.
    std::optional<std::string> poll(double now, const SavedSettings::Variables& variables);

private:
    SavedSettings& settings_;
    double quietSeconds_;
    std::string lastSeen_;
    double changedAt_ = 0.0;
    bool pending_ = false;
};

}  // namespace host
