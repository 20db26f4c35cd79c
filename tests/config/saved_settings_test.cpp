// Saved settings against the world's console variables: saved values at registration, what a
// save writes and keeps, and saves that fail without harming the old file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstring>
#include <filesystem>
#include <sstream>

#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "config/saved_settings.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/world.h"
#include "scratch_folder.h"
#ifndef _WIN32
#include "file_size_limit.h"
#endif
#include "whole_file.h"

using host::SavedSettings;

namespace {

// A world whose new variables take their values from `settings`, as the host's session sets it up.
std::shared_ptr<pluginsdk::World> worldWith(SavedSettings& settings) {
    auto world = pluginsdk::World::create();
    world->setRegistrationListener([&settings](pluginsdk::detail::ConsoleVariable& variable) {
        settings.applyTo(variable);
    });
    return world;
}

std::shared_ptr<pluginsdk::detail::ConsoleVariable> registerNumber(pluginsdk::World& world, const std::string& name,
                                                                   const std::string& defaultValue) {
    return world.registerVariable(name, defaultValue, "", true, 0.0f, true, 100.0f);
}

#ifndef _WIN32
ino_t inodeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}
#endif

}  // namespace

TEST(SavedSettings, ARegisteredVariableTakesItsSavedValueAndKeepsItsDefault) {
    quorvel_test::ScratchFolder folder;
    quorvel_test::writeWholeFile(folder.file("host.cfg"),
                   "quorvel_factor 0.25\n"
                   "quorvel_trajectory 250\n"
                   "quorvel_enabled_blue fast\n"
                   "greeting \"hello there\"\n");
    std::ostringstream warnings;
    SavedSettings settings(folder.file("host.cfg"), warnings);
    auto world = worldWith(settings);

    const auto factor = registerNumber(*world, "quorvel_factor", "1");
    EXPECT_EQ(factor->value, "0.25");
    EXPECT_EQ(factor->number, 0.25f);
    EXPECT_EQ(factor->defaultValue, "1");
    // The registered range applies to saved values as to any other.
    EXPECT_EQ(registerNumber(*world, "quorvel_trajectory", "0")->value, "100");
    // A saved value the variable refuses is named, and the default stays.
    EXPECT_EQ(registerNumber(*world, "quorvel_enabled_blue", "0")->value, "0");
    EXPECT_EQ(warnings.str(), folder.file("host.cfg") +
                                  ":3: warning: quorvel_enabled_blue takes a finite number, not \"fast\"; it stays "
                                  "\"0\"\n");
    EXPECT_EQ(world->registerVariable("greeting", "hi", "", false, 0, false, 0)->value, "hello there");
    // Registering an existing name again changes nothing.
    factor->value = "0.5";
    EXPECT_EQ(registerNumber(*world, "quorvel_factor", "1")->value, "0.5");
}

// A correction written below a refused line wins; a refused line never hides a good one, and says
// what the variable ended with. A save then rewrites the last line, which wins from then on.
TEST(SavedSettings, TheLastLineTheVariableAcceptsWins) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path,
                                 "quorvel_trajectory 1e40\n"
                                 "quorvel_trajectory 20\n"
                                 "quorvel_factor 0.5\n"
                                 "quorvel_factor 0.25\n"
                                 "quorvel_factor fast\n");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    auto world = worldWith(settings);
    EXPECT_EQ(registerNumber(*world, "quorvel_trajectory", "0")->value, "20");
    const auto factor = registerNumber(*world, "quorvel_factor", "1");
    EXPECT_EQ(factor->value, "0.25");
    EXPECT_EQ(warnings.str(),
              path + ":1: warning: \"1e40\" is too large for a float, so quorvel_trajectory stays \"20\"\n" + path +
                  ":3: warning: quorvel_factor is set again on line 4, which wins; the line is kept as it is\n" + path +
                  ":5: warning: quorvel_factor takes a finite number, not \"fast\"; it stays \"0.25\"\n");
    ASSERT_FALSE(pluginsdk::setVariableText(*factor, "0.75"));
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path),
              "quorvel_trajectory 1e40\nquorvel_trajectory 20\nquorvel_factor 0.5\nquorvel_factor 0.25\n"
              "quorvel_factor 0.75\n");
}

// Once the plug-in has loaded, a line for a name it did not register but close to one it did is
// named, once; a name of some other plug-in's is left alone.
TEST(SavedSettings, ANameCloseToARegisteredOneIsNamedOnce) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path,
                                 "quorvel_enabeld_orange 1\n"
                                 "QUORVEL_FACTOR 0.5\n"
                                 "quorvel_factor 0.5\n"
                                 "other_plugin_gain 3\n"
                                 "quorvel_fact 2\n");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    const std::vector<std::string> registered = {"quorvel_enabled_orange", "quorvel_factor"};
    settings.reportNamesCloseTo(registered, registered, "Quorvel");
    settings.reportNamesCloseTo(registered, registered, "Quorvel");
    EXPECT_EQ(warnings.str(),
              path + ":1: warning: the plug-in Quorvel has no variable quorvel_enabeld_orange; did you mean "
                     "quorvel_enabled_orange? The line is kept as it is\n" +
                  path + ":2: warning: the plug-in Quorvel has no variable QUORVEL_FACTOR; did you mean quorvel_factor? "
                         "The line is kept as it is\n" +
                  path + ":5: warning: the plug-in Quorvel has no variable quorvel_fact; did you mean quorvel_factor? "
                         "The line is kept as it is\n");
}

// The file's lines and a plug-in's variable names alike.
TEST(SavedSettings, WarningsShowControlCharactersEscaped) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path, "evil\x1b[2J\n");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    auto world = worldWith(settings);
    ASSERT_FALSE(pluginsdk::setVariableText(*registerNumber(*world, "bad\x1b[2Jname", "1"), "2"));
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(warnings.str().find('\x1b'), std::string::npos) << warnings.str();
    EXPECT_NE(warnings.str().find("\"evil\\x1b[2J\" is not a variable name"), std::string::npos) << warnings.str();
    EXPECT_NE(warnings.str().find("\"bad\\x1b[2Jname\" is left out"), std::string::npos) << warnings.str();
}

TEST(SavedSettings, SaveWritesWhatTheSessionChangedAndKeepsEveryOtherLine) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path,
                   "# my settings\n"
                   "other_plugin_gain 3   # not loaded today\n"
                   "quorvel_factor 0.50 # as I typed it\n"
                   "broken \"line\n"
                   "quorvel_trajectory 5\n");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    EXPECT_NE(warnings.str().find(path + ":4: warning:"), std::string::npos) << warnings.str();
    auto world = worldWith(settings);
    registerNumber(*world, "quorvel_factor", "1");
    const auto trajectory = registerNumber(*world, "quorvel_trajectory", "0");
    const auto text = world->registerVariable("greeting", "hi", "", false, 0, false, 0);
    ASSERT_FALSE(pluginsdk::setVariableText(*trajectory, "0.1"));
    ASSERT_FALSE(pluginsdk::setVariableText(*text, "say \"hi\" # twice"));

    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path),
              "# my settings\n"
              "other_plugin_gain 3   # not loaded today\n"
              "quorvel_factor 0.50 # as I typed it\n"
              "broken \"line\n"
              "quorvel_trajectory 0.1\n"
              "greeting \"say \\\"hi\\\" # twice\"\n");

    // What was saved comes back bit for bit in the next session.
    std::ostringstream nextWarnings;
    SavedSettings next(path, nextWarnings);
    auto nextWorld = worldWith(next);
    EXPECT_EQ(registerNumber(*nextWorld, "quorvel_trajectory", "0")->number, 0.1f);
    EXPECT_EQ(nextWorld->registerVariable("greeting", "hi", "", false, 0, false, 0)->value, "say \"hi\" # twice");
}

// Registered through the plug-in's own manager handle, so the flag is followed from the SDK's call.
TEST(SavedSettings, AVariableRegisteredNotToBeSavedTakesItsLineButNeverWritesIt) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path, "session_only 7\n");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    auto world = worldWith(settings);
    CVarManagerWrapper manager(world->addPlugin("plugin"));
    CVarWrapper kept = manager.registerCvar("session_only", "1", "", false, false, 0, false, 0, false);
    CVarWrapper fresh = manager.registerCvar("fresh_unsaved", "1", "", false, false, 0, false, 0, false);
    EXPECT_EQ(kept.getFloatValue(), 7.0f);
    kept.setValue(8);
    fresh.setValue(9);

    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path), "session_only 7\n");
}

TEST(SavedSettings, FloatsRoundTripExactly) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    const float values[] = {0.1f, 1.0f / 3.0f, -0.0f, 1e-40f, 3.4028235e38f, -123456.789f, 16777217.0f};
    {
        std::ostringstream warnings;
        SavedSettings settings(path, warnings);
        auto world = worldWith(settings);
        for (std::size_t i = 0; i < std::size(values); ++i) {
            auto variable = world->registerVariable(std::string("v").append(std::to_string(i)), "0", "", false, 0, false, 0);
            char text[32];
            std::snprintf(text, sizeof text, "%a", static_cast<double>(values[i]));
            ASSERT_FALSE(pluginsdk::setVariableText(*variable, text));
        }
        ASSERT_FALSE(settings.save(world->variables()));
    }
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    auto world = worldWith(settings);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const auto variable = world->registerVariable(std::string("v").append(std::to_string(i)), "0", "", false, 0, false, 0);
        EXPECT_EQ(std::memcmp(&variable->number, &values[i], sizeof(float)), 0)
            << i << ": " << variable->value << " in\n" << quorvel_test::readWholeFile(path);
    }
}

TEST(SavedSettings, SaveCreatesTheFoldersAndWritesNothingWhenNothingChanged) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("config/quorvel/host.cfg");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    EXPECT_EQ(warnings.str(), "");
    auto world = worldWith(settings);
    // With no variables and no file there is nothing to keep.
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_FALSE(std::filesystem::exists(path));

    // A default never changed is not written: a later build may change it.
    const auto factor = registerNumber(*world, "quorvel_factor", "1");
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_FALSE(pluginsdk::setVariableText(*factor, "0.6"));
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path), "quorvel_factor 0.6\n");
#ifndef _WIN32
    const ino_t first = inodeOf(path);
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_EQ(inodeOf(path), first) << "an unchanged file was written again";
#endif
}

#ifndef _WIN32
// A file size limit stands in for a full disk (root writes anywhere, so permissions cannot).
TEST(SavedSettings, AFailedSaveSaysWhyAndKeepsTheOldFile) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    const std::string old = "quorvel_factor 0.5\n";
    quorvel_test::writeWholeFile(path, old);
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    auto world = worldWith(settings);
    const auto factor = registerNumber(*world, "quorvel_factor", "1");
    // A long value that cannot fit under a file size limit, as on a full disk.
    auto note = world->registerVariable("note", "", "", false, 0, false, 0);
    note->value = std::string(4096, 'x');

    std::optional<std::string> problem;
    {
        const quorvel_test::FileSizeLimit limit(64);
        problem = settings.save(world->variables());
    }

    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("cannot write"), std::string::npos) << *problem;
    EXPECT_NE(problem->find("File too large"), std::string::npos) << *problem;
    EXPECT_EQ(quorvel_test::readWholeFile(path), old);
    // No temporary file is left behind, only the lock file that sessions take turns by.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    EXPECT_TRUE(std::filesystem::exists(path + ".lock"));
    // Once there is room again, the save goes through.
    ASSERT_FALSE(settings.save(world->variables()));
    EXPECT_NE(quorvel_test::readWholeFile(path).find(std::string(4096, 'x')), std::string::npos);
    EXPECT_EQ(factor->value, "0.5");
}
#endif

TEST(SavedSettings, TwoSessionsSavingOneFileKeepBothChanges) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    std::ostringstream warnings;
    SavedSettings first(path, warnings);
    SavedSettings second(path, warnings);
    auto firstWorld = worldWith(first);
    auto secondWorld = worldWith(second);
    for (auto* world : {firstWorld.get(), secondWorld.get()}) {
        registerNumber(*world, "quorvel_factor", "1");
        registerNumber(*world, "quorvel_trajectory", "0");
    }
    ASSERT_FALSE(pluginsdk::setVariableText(*firstWorld->findVariable("quorvel_factor"), "0.75"));
    ASSERT_FALSE(pluginsdk::setVariableText(*secondWorld->findVariable("quorvel_trajectory"), "20"));
    ASSERT_FALSE(first.save(firstWorld->variables()));
    ASSERT_FALSE(second.save(secondWorld->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path), "quorvel_factor 0.75\nquorvel_trajectory 20\n");
}

TEST(SavedSettings, AFileThatCannotBeReadIsNeverSavedOver) {
    quorvel_test::ScratchFolder folder;
    // A folder where the file should be: it exists, but is no settings file.
    const std::string path = folder.file("host.cfg");
    std::filesystem::create_directory(path);
    quorvel_test::writeWholeFile(path + "/inside", "mine");
    std::ostringstream warnings;
    SavedSettings settings(path, warnings);
    EXPECT_EQ(warnings.str().rfind(path + ": warning: cannot read the saved settings: it is not a regular file", 0), 0u)
        << warnings.str();
    auto world = worldWith(settings);
    const auto factor = registerNumber(*world, "quorvel_factor", "1");
    EXPECT_EQ(factor->value, "1");
    ASSERT_FALSE(pluginsdk::setVariableText(*factor, "0.5"));
    const std::optional<std::string> problem = settings.save(world->variables());
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("cannot read '" + path + "' to save into it"), std::string::npos) << *problem;
    EXPECT_EQ(quorvel_test::readWholeFile(path + "/inside"), "mine");
}
