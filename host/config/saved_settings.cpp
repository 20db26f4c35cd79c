#include "saved_settings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "printable_text.h"
#include "platform/files.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/number_text.h"

namespace host {
namespace {

// A settings file is a few lines; anything this large is not one.
constexpr std::streamoff kLargestFile = 1 << 20;

std::string savedText(const pluginsdk::detail::ConsoleVariable& variable) {
    if (!variable.numeric) {
        return variable.value;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(variable.number));
    return text;
}

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

SavedSettings::SavedSettings(std::string path, std::ostream& warnings) : path_(std::move(path)), warnings_(warnings) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path_, error);
    std::ifstream in;
    if (status.type() == std::filesystem::file_type::not_found) {
        // Nothing saved yet.
    } else if (error) {
        unreadable_ = error.message();
    } else if (status.type() != std::filesystem::file_type::regular) {
        unreadable_ = "it is not a regular file";
    } else if (in.open(path_, std::ios::binary), !in) {
        unreadable_ = std::strerror(errno);
    } else {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size < 0 || size > kLargestFile) {
            unreadable_ = "it is larger than 1 MiB, too large for a settings file";
        } else {
            std::ostringstream contents;
            contents << in.rdbuf();
            if (in.bad()) {
                unreadable_ = "a read failed";
            } else {
                written_ = contents.str();
            }
        }
    }
    if (unreadable_) {
        warnings_ << printable(path_) << ": warning: cannot read the saved settings: " << *unreadable_
                  << "; the plug-in's defaults are used and nothing is saved over the file\n";
        return;
    }
    std::vector<std::string> lineWarnings;
    file_ = SettingsFile::parse(written_, path_, lineWarnings);
    for (const std::string& warning : lineWarnings) {
        // The lines quoted come from the file: shown with their control characters escaped.
        warnings_ << printable(warning) << '\n';
    }
}

void SavedSettings::applyTo(pluginsdk::detail::ConsoleVariable& variable) {
    const std::optional<SettingsFile::Setting> saved = file_.find(variable.name);
    if (!saved) {
        return;
    }
    if (const auto refused = pluginsdk::setVariableText(variable, saved->value)) {
        warnings_ << printable(path_) << ':' << saved->line << ": warning: " << printable(*refused) << '\n';
    }
}

SettingsFile SavedSettings::merged(const Variables& variables) const {
    SettingsFile file = file_;
    for (const auto& variable : variables) {
        if (!variable->saveToConfig) {
            continue;  // its line, if the file has one, stays as it was
        }
        const std::optional<SettingsFile::Setting> saved = file.find(variable->name);
        if (saved && variable->numeric) {
            // Leave "0.50" as the person wrote it while it still reads as the value.
            const std::optional<float> number = pluginsdk::parseFloat(saved->value);
            if (number && *number == variable->number && std::signbit(*number) == std::signbit(variable->number)) {
                continue;
            }
        }
        const std::string text = savedText(*variable);
        if (!saved || saved->value != text) {
            file.set(variable->name, text);
        }
    }
    return file;
}

bool SavedSettings::wouldChange(const Variables& variables) const {
    return !unreadable_ && merged(variables).text() != written_;
}

std::optional<std::string> SavedSettings::save(const Variables& variables) {
    if (unreadable_) {
        return "the settings were not saved: '" + path_ + "' could not be read at start (" + *unreadable_ +
               "), and saving would overwrite it";
    }
    SettingsFile file = merged(variables);
    std::string text = file.text();
    if (text == written_) {
        return std::nullopt;
    }
    const std::string folder = folderOf(path_);
    if (!folder.empty()) {
        if (auto problem = createFolders(folder)) {
            return "the settings were not saved: " + *problem;
        }
    }
    try {
        writeFileAtomically(path_, text);
    } catch (const HostError& error) {
        return std::string("the settings were not saved: ") + error.what();
    }
    file_ = std::move(file);
    written_ = std::move(text);
    return std::nullopt;
}

}  // namespace host
