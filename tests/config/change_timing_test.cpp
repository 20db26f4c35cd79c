// When the live window reloads a rebuilt module and saves changed settings: only once things have
// stopped changing, and once per change. Times are given, not measured.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "config/settings_autosave.h"
#include "pluginsdk/world.h"
#include "scratch_folder.h"
#include "whole_file.h"
#include "session/module_watcher.h"

TEST(ModuleWatcher, ReloadsOnceTheFileHasStoppedChanging) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("Quorvel.so");
    quorvel_test::writeWholeFile(path, "first build");
    host::ModuleWatcher watcher(path, 0.5);
    EXPECT_FALSE(watcher.poll(0.0));
    EXPECT_FALSE(watcher.poll(10.0)) << "the file loaded at start is no change";

    // A build writes the file in steps; each step restarts the wait.
    quorvel_test::writeWholeFile(path, "second build, part");
    EXPECT_FALSE(watcher.poll(11.0));
    EXPECT_FALSE(watcher.poll(11.4));
    quorvel_test::writeWholeFile(path, "second build, whole file");
    EXPECT_FALSE(watcher.poll(11.45));
    EXPECT_FALSE(watcher.poll(11.9));
    EXPECT_TRUE(watcher.poll(12.0));
    EXPECT_FALSE(watcher.poll(13.0)) << "one change, one reload";

    // Removed and not back yet: nothing to load.
    std::filesystem::remove(path);
    EXPECT_FALSE(watcher.poll(14.0));
    EXPECT_FALSE(watcher.poll(20.0));
    quorvel_test::writeWholeFile(path, "third build, written after a clean");
    EXPECT_FALSE(watcher.poll(21.0));
    EXPECT_TRUE(watcher.poll(21.5));
}

TEST(SettingsAutosave, SavesOnceTheValuesHaveStoppedChanging) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    std::ostringstream warnings;
    host::SavedSettings settings(path, warnings);
    auto world = pluginsdk::World::create();
    const auto factor = world->registerVariable("quorvel_factor", "1", "", false, 0, false, 0);
    host::SettingsAutosave autosave(settings, 0.5);

    EXPECT_FALSE(autosave.poll(0.0, world->variables()));
    EXPECT_FALSE(autosave.poll(0.6, world->variables()));
    EXPECT_FALSE(std::filesystem::exists(path)) << "a default never changed was saved";

    // A slider dragged over several frames: saved once, with where it ended.
    double now = 1.0;
    for (const char* value : {"0.9", "0.8", "0.7", "0.6"}) {
        factor->value = value;
        factor->number = std::stof(value);
        EXPECT_FALSE(autosave.poll(now, world->variables()));
        now += 0.2;
        EXPECT_FALSE(autosave.poll(now, world->variables()));
        EXPECT_FALSE(std::filesystem::exists(path)) << "saved while still changing";
    }
    EXPECT_FALSE(autosave.poll(now + 0.5, world->variables()));
    EXPECT_EQ(quorvel_test::readWholeFile(path), "quorvel_factor 0.6\n");
}

TEST(SettingsAutosave, AFailedSaveIsReportedOncePerChange) {
    quorvel_test::ScratchFolder folder;
    quorvel_test::writeWholeFile(folder.file("a-file"), "");
    std::ostringstream warnings;
    host::SavedSettings settings(folder.file("a-file/host.cfg"), warnings);
    auto world = pluginsdk::World::create();
    world->registerVariable("quorvel_factor", "1", "", false, 0, false, 0)->value = "0.5";
    host::SettingsAutosave autosave(settings, 0.5);
    EXPECT_FALSE(autosave.poll(0.0, world->variables()));
    const auto problem = autosave.poll(1.0, world->variables());
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("not saved"), std::string::npos) << *problem;
    EXPECT_FALSE(autosave.poll(2.0, world->variables()));
}
