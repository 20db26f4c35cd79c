#include "saved_settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "close_names.h"
#include "printable_text.h"
#include "platform/files.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_state_lock.h"
#include "pluginsdk/number_text.h"

namespace host {
namespace {

constexpr std::streamoff kLargestFile = SettingsFile::kLargestFile;

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

// The file's text (empty if there is none yet), or why it cannot be read.
std::variant<std::string, std::string> readSettingsText(const std::string& given) {
    using Result = std::variant<std::string, std::string>;
    const std::string path = fromStartingDirectory(given);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return Result(std::in_place_index<0>);
    }
    if (error) {
        return Result(std::in_place_index<1>, error.message());
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return Result(std::in_place_index<1>, "it is not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Result(std::in_place_index<1>, std::strerror(errno));
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || size > kLargestFile) {
        return Result(std::in_place_index<1>, "it is larger than 1 MiB, too large for a settings file");
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        return Result(std::in_place_index<1>, "a read failed");
    }
    return Result(std::in_place_index<0>, contents.str());
}

std::string valueOf(const pluginsdk::detail::ConsoleVariable& variable) {
    const auto state = pluginsdk::detail::lockHandleState();
    return variable.value;
}

// Whether the file's `saved` text already stands for `value`: the same text, or for a numeric
// variable the same number ("0.50" for "0.5"), which is left as the person wrote it.
bool standsFor(const std::string& saved, const std::string& value, bool numeric) {
    if (saved == value || !numeric) {
        return saved == value;
    }
    const std::optional<float> a = pluginsdk::parseFloat(saved);
    const std::optional<float> b = pluginsdk::parseFloat(value);
    return a && b && *a == *b && std::signbit(*a) == std::signbit(*b);
}

}  // namespace

void SavedSettings::leaveOut(const std::string& name, const std::string& why) {
    if (!leftOut_.insert(name).second) {
        return;
    }
    constexpr std::size_t kShown = 64;
    const std::string shown = name.size() > kShown ? name.substr(0, kShown) + "... (" + std::to_string(name.size()) +
                                                         " bytes)"
                                                   : name;
    warnings_ << printable(path_) << ": warning: the variable " << host::quoted(shown)
              << " is left out of the saved settings: " << why << '\n';
}

SavedSettings::SavedSettings(std::string path, std::ostream& warnings) : path_(std::move(path)), warnings_(warnings) {
    const auto read = readSettingsText(path_);
    if (read.index() == 1) {
        warnings_ << printable(path_) << ": warning: cannot read the saved settings: " << std::get<1>(read)
                  << "; the plug-in's defaults are used\n";
        return;
    }
    std::vector<std::string> lineWarnings;
    file_ = SettingsFile::parse(std::get<0>(read), path_, lineWarnings);
    for (const std::string& warning : lineWarnings) {
        // The lines quoted come from the file: shown with their control characters escaped.
        warnings_ << printable(warning) << '\n';
    }
}

void SavedSettings::applyTo(pluginsdk::detail::ConsoleVariable& variable) {
    // Set line by line, as the console would: a refused line leaves the value as it was, so the
    // last line the variable accepts wins.
    std::vector<SettingsFile::Setting> refused;
    std::vector<int> accepted;
    for (SettingsFile::Setting& saved : file_.settings()) {
        if (saved.name != variable.name) {
            continue;
        }
        if (pluginsdk::setVariableText(variable, saved.value)) {
            refused.push_back(std::move(saved));
        } else {
            accepted.push_back(saved.line);
        }
    }
    std::map<int, std::string> warnings;  // by line
    for (const SettingsFile::Setting& saved : refused) {
        // Refused again by a copy of the variable as it ended, so the message says what it holds.
        pluginsdk::detail::ConsoleVariable copy = variable;
        warnings[saved.line] = pluginsdk::setVariableText(copy, saved.value).value_or("");
    }
    for (std::size_t i = 0; i + 1 < accepted.size(); ++i) {
        warnings[accepted[i]] = variable.name + " is set again on line " + std::to_string(accepted.back()) +
                                ", which wins; the line is kept as it is";
    }
    for (const auto& [line, warning] : warnings) {
        warnings_ << printable(path_) << ':' << line << ": warning: " << printable(warning) << '\n';
    }
    known_[variable.name] = valueOf(variable);
}

void SavedSettings::reportNamesCloseTo(const std::vector<std::string>& registered,
                                       const std::vector<std::string>& allNames, const std::string& pluginName) {
    if (registered.empty()) {
        return;
    }
    for (const SettingsFile::Setting& saved : file_.settings()) {
        if (closeNamesReported_.count(saved.line) != 0 ||
            std::find(allNames.begin(), allNames.end(), saved.name) != allNames.end()) {
            continue;
        }
        if (const std::optional<std::string> meant = closeName(saved.name, registered)) {
            closeNamesReported_.insert(saved.line);
            warnings_ << printable(path_) << ':' << saved.line << ": warning: the plug-in " << printable(pluginName)
                      << " has no variable " << printable(saved.name) << "; did you mean " << printable(*meant)
                      << "? The line is kept as it is\n";
        }
    }
}

std::optional<std::string> SavedSettings::save(const Variables& variables) {
    std::map<std::string, std::string> changed;
    std::map<std::string, bool> numeric;
    for (const auto& variable : variables) {
        // A variable this session did not see registered started at its default.
        const auto known = known_.find(variable->name);
        std::string value = valueOf(*variable);
        if (variable->saveToConfig && (known != known_.end() ? known->second : variable->defaultValue) != value) {
            numeric[variable->name] = variable->numeric;
            changed.emplace(variable->name, std::move(value));
        }
    }
    if (changed.empty()) {
        return std::nullopt;
    }
    const std::string folder = folderOf(path_);
    if (!folder.empty()) {
        if (auto problem = createFolders(folder)) {
            return "the settings were not saved: " + *problem;
        }
    }
    try {
        // Another session may save between this one's read and its write: they take turns.
        const FileLock turn(path_ + ".lock");
        const auto read = readSettingsText(path_);
        if (read.index() == 1) {
            return "the settings were not saved: cannot read '" + path_ + "' to save into it: " + std::get<1>(read) +
                   "; it was left as it is";
        }
        std::vector<std::string> ignored;  // the file's own problems were told at start
        SettingsFile file = SettingsFile::parse(std::get<0>(read), path_, ignored);
        for (auto it = changed.begin(); it != changed.end();) {
            const auto& [name, value] = *it;
            const std::optional<SettingsFile::Setting> saved = file.find(name);
            if (saved && standsFor(saved->value, value, numeric[name])) {
                ++it;
                continue;
            }
            // The file written is always one the host reads back whole.
            std::optional<std::string> problem = unsavableName(name);
            if (!problem && file.lengthIfSet(name, value) > SettingsFile::kLargestFile) {
                problem = "its line would make the file larger than 1 MiB";
            }
            if (problem) {
                leaveOut(name, *problem);
                it = changed.erase(it);
                continue;
            }
            file.set(name, value);
            ++it;
        }
        const std::string text = file.text();
        if (text != std::get<0>(read)) {
            writeFileAtomically(path_, text);
        }
    } catch (const HostError& error) {
        return std::string("the settings were not saved: ") + error.what();
    }
    for (auto& [name, value] : changed) {
        known_[name] = std::move(value);
    }
    return std::nullopt;
}

}  // namespace host
