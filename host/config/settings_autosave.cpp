#include "settings_autosave.h"

namespace host {
namespace {

// What the variables hold, as one text to compare frame to frame.
std::string snapshot(const SavedSettings::Variables& variables) {
    std::string text;
    for (const auto& variable : variables) {
        text += variable->name;
        text += '\0';
        text += variable->value;
        text += '\0';
    }
    return text;
}

}  // namespace

SettingsAutosave::SettingsAutosave(SavedSettings& settings, double quietSeconds)
    : settings_(settings), quietSeconds_(quietSeconds) {}

std::optional<std::string> SettingsAutosave::poll(double now, const SavedSettings::Variables& variables) {
    std::string seen = snapshot(variables);
    if (seen != lastSeen_) {
        lastSeen_ = std::move(seen);
        changedAt_ = now;
        pending_ = true;
        return std::nullopt;
    }
    if (!pending_ || now - changedAt_ < quietSeconds_) {
        return std::nullopt;
    }
    pending_ = false;
    return settings_.save(variables);
}

}  // namespace host
