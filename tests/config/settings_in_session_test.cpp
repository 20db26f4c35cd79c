// The plug-in's own variables kept across loads, reloads and sessions by the host's saved settings.
#include <gtest/gtest.h>

#include <sstream>

#include "config/saved_settings.h"
#include "console/command_interpreter.h"
#include "scratch_folder.h"
#include "whole_file.h"
#include "session/host_session.h"

namespace {

struct SessionWithSettings {
    explicit SessionWithSettings(const std::string& path) : settings(path, warnings), session(QUORVEL_MODULE_PATH, out) {
        session.useSavedSettings(settings);
    }
    std::ostringstream warnings;
    std::ostringstream out;
    host::SavedSettings settings;
    host::HostSession session;
    host::CommandInterpreter console{session};
};

}  // namespace

TEST(SettingsInSession, ThePluginsVariablesTakeSavedValuesAndAreSavedAtUnload) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    quorvel_test::writeWholeFile(path, "quorvel_factor 0.25\nquorvel_enabled_orange 1\nsomeone_elses 7\n");
    {
        SessionWithSettings run(path);
        run.console.execute("load");
        run.console.execute("cvars");
        EXPECT_NE(run.out.str().find("quorvel_factor = \"0.25\" (default \"1\")"), std::string::npos) << run.out.str();
        EXPECT_NE(run.out.str().find("quorvel_enabled_orange = \"1\" (default \"0\")"), std::string::npos);
        run.console.execute("quorvel_trajectory 12.5");
        run.console.execute("unload");
        EXPECT_EQ(quorvel_test::readWholeFile(path),
                  "quorvel_factor 0.25\n"
                  "quorvel_enabled_orange 1\n"
                  "someone_elses 7\n"
                  "quorvel_trajectory 12.5\n");
        EXPECT_EQ(run.warnings.str(), "");
    }
    SessionWithSettings next(path);
    next.console.execute("load");
    next.console.execute("expect quorvel_trajectory 12.5");
}

TEST(SettingsInSession, ReloadKeepsTheValuesAndSavesThem) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    SessionWithSettings run(path);
    run.console.execute("load");
    run.console.execute("quorvel_factor 0.75");
    run.console.execute("reload");
    ASSERT_TRUE(run.session.loaded());
    run.console.execute("expect quorvel_factor 0.75");
    EXPECT_EQ(quorvel_test::readWholeFile(path).find("quorvel_factor 0.75\n") != std::string::npos, true) << quorvel_test::readWholeFile(path);
    // The reloaded plug-in acts with the kept values: an orange touch is not slowed (orange is off).
    run.console.execute("ball 100 0 0");
    run.console.execute("touch 1");
    run.console.execute("wait 0.02");
    run.console.execute("expect velocity 100 0 0");
    run.console.execute("quorvel_enabled_orange 1");
    run.console.execute("touch 1");
    run.console.execute("wait 0.02");
    run.console.execute("expect velocity 75 0 0");
}

TEST(SettingsInSession, ReloadWithNothingLoadedIsRefused) {
    quorvel_test::ScratchFolder folder;
    SessionWithSettings run(folder.file("host.cfg"));
    EXPECT_THROW(run.console.execute("reload"), host::HostError);
    EXPECT_FALSE(run.session.loaded());
}

TEST(SettingsInSession, AFailedSaveAtUnloadIsAnErrorAndTheModuleIsUnloadedAllTheSame) {
    quorvel_test::ScratchFolder folder;
    quorvel_test::writeWholeFile(folder.file("a-file"), "");
    SessionWithSettings run(folder.file("a-file/host.cfg"));
    run.console.execute("load");
    run.console.execute("quorvel_factor 0.5");
    try {
        run.console.execute("unload");
        FAIL() << "unload reported success";
    } catch (const host::HostError& error) {
        EXPECT_NE(std::string(error.what()).find("the settings were not saved: cannot create the folder"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(run.session.loaded());
}

// The names a loaded plug-in registers decide which saved lines look misspelt: said once, after the
// load, and not again at a reload; the file keeps the line.
TEST(SettingsInSession, AMisspeltNameIsNamedOnceThePluginHasLoaded) {
    quorvel_test::ScratchFolder folder;
    const std::string path = folder.file("host.cfg");
    const std::string text = "\xEF\xBB\xBFquorvel_enabeld_orange 1\nquorvel_factor 0.5\n";
    quorvel_test::writeWholeFile(path, text);
    SessionWithSettings run(path);
    EXPECT_EQ(run.warnings.str(), "");
    run.console.execute("load");
    run.console.execute("expect quorvel_factor 0.5");
    const std::string warned = run.warnings.str();
    EXPECT_NE(warned.find(path + ":1: warning: the plug-in Quorvel has no variable quorvel_enabeld_orange; did you "
                                 "mean quorvel_enabled_orange?"),
              std::string::npos)
        << warned;
    run.console.execute("reload");
    run.console.execute("unload");
    EXPECT_EQ(run.warnings.str(), warned);
    EXPECT_EQ(quorvel_test::readWholeFile(path), text);
}
