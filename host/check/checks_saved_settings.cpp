// The plug-in's settings as a person keeps them: saved to the host's settings file at unload, and
// read back by another run of the host, in a process of its own, as the next game session would.
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "check_records.h"
#include "checks.h"
#include "config/saved_settings.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "plugin_under_check.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host::check {
namespace {

// A value's text, with its bits where it reads as a number: what a reader needs to see that two
// values are not the same.
std::string withBits(const std::string& value) {
    const std::optional<float> number = pluginsdk::parseFloat(value);
    if (!number) {
        return host::quoted(value);
    }
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%08" PRIx32, std::bit_cast<std::uint32_t>(*number));
    return host::quoted(value) + " (bits " + bits + ")";
}

// Removes the folder when the check is done with it, however it ends.
struct FolderRemoval {
    std::string folder;
    ~FolderRemoval() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

}  // namespace

void checkSettingsRoundTrip(const CheckOptions& options, CheckRecords& records) {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error) {
        throw CheckSkipped("there is no folder for temporary files (" + error.message() + ")");
    }
    const FolderRemoval folder{makePrivateFolder(temporary.string(), "quorvel-check-")};
    const std::string settingsPath = (std::filesystem::path(folder.folder) / "host.cfg").string();
    const std::string scriptPath = (std::filesystem::path(folder.folder) / "read-back.scenario").string();

    // Each saved variable at a value of its own, written as a person might type it: a number with
    // more digits than the shortest text of its float, a text with spaces, quotes and a '#'.
    std::vector<std::pair<std::string, std::string>> saved;
    {
        SavedSettings settings(settingsPath, std::cerr);
        PluginUnderCheck plugin(options, &records);
        plugin.session().useSavedSettings(settings);
        plugin.load();
        std::mt19937_64 random = randomFor(options, "settings-round-trip");
        std::uniform_real_distribution<float> spread(0.25f, 4.0f);
        int index = 0;
        for (const auto& variable : plugin.world().variables()) {
            if (!variable->saveToConfig) {
                continue;
            }
            std::string value = "checked " + std::to_string(index) + " \"as typed\" # kept";
            if (variable->numeric) {
                char text[32];
                std::snprintf(text, sizeof text, "%.9g", static_cast<double>((variable->number + 1.0f) * spread(random)));
                value = text;
            }
            ++index;
            (void)pluginsdk::setVariableText(*variable, value);  // clamped to its range, if it has one
        }
        plugin.unload();  // saves
        for (const auto& variable : plugin.world().variables()) {
            if (variable->saveToConfig) {
                saved.emplace_back(variable->name, variable->value);
            }
        }
    }
    if (saved.empty()) {
        throw CheckSkipped("the plug-in registers no variable that is saved");
    }

    std::ofstream script(scriptPath, std::ios::binary);
    script << "load\n";
    for (const auto& [name, value] : saved) {
        script << name << '\n';
    }
    script.close();
    require(static_cast<bool>(script), "cannot write the script " + scriptPath);
    char timeout[32];
    std::snprintf(timeout, sizeof timeout, "%g", options.pluginTimeout);
    const ChildRun run = runChild(executablePath(),
                                  {"--config", settingsPath, "--module", options.modulePath, "--plugin-timeout", timeout,
                                   "run", scriptPath},
                                  0.0);
    require(run.ending == ChildRun::Ending::Exited && run.status == 0,
            "a fresh host given the saved settings did not load the plug-in and list its variables: " +
                (run.ending == ChildRun::Ending::Exited ? "status " + std::to_string(run.status) : std::string("it did not exit")) +
                ": " + printable(run.output));
    // The fresh host prints `NAME = "VALUE"` for each, between whatever the plug-in logs.
    std::map<std::string, std::string> readBack;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        for (const auto& [name, value] : saved) {
            if (line.rfind(name + " = ", 0) == 0) {
                readBack[name] = line.substr(name.size() + 3);
            }
        }
    }
    for (const auto& [name, value] : saved) {
        const auto found = readBack.find(name);
        require(found != readBack.end(), "a fresh host given the saved settings does not list " + name);
        // The fresh host shows the value as quoted() does, so the same text shows the same.
        const std::string& shown = found->second;
        const bool inQuotes = shown.size() >= 2 && shown.front() == '"' && shown.back() == '"';
        require(shown == host::quoted(value), name + " was saved as " + withBits(value) + " and a fresh host read it back as " +
                                            (inQuotes ? withBits(shown.substr(1, shown.size() - 2)) : shown));
    }
    records.figure("variables read back", static_cast<double>(saved.size()));
}

}  // namespace host::check
