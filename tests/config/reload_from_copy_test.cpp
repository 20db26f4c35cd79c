// Reloading while the module file is being rebuilt: the loaded module runs from a private copy, so
// writing over the file cannot pull its code away, and a file that does not load is a refusal that
// keeps the plug-in that works loaded, and the values.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "console/command_interpreter.h"
#include "scratch_folder.h"
#include "whole_file.h"
#include "session/host_session.h"

TEST(ReloadFromCopy, WritingOverTheModuleFileLeavesTheLoadedModuleRunning) {
    quorvel_test::ScratchFolder folder;
    const std::string module = folder.file(std::filesystem::path(QUORVEL_MODULE_PATH).filename().string());
    std::filesystem::copy_file(QUORVEL_MODULE_PATH, module);
    std::ostringstream out;
    host::HostSession session(module, out);
    host::CommandInterpreter console(session);
    console.execute("load");
    console.execute("quorvel_enabled_orange 1");
    console.execute("quorvel_factor 0.5");

    // In place, as cp does: the same file, truncated and written again.
    quorvel_test::writeWholeFile(module, "not a module any more");
    console.execute("ball 100 0 0");
    console.execute("touch 1");
    console.execute("wait 0.02");
    console.execute("expect velocity 50 0 0");

    try {
        session.reload();
        FAIL() << "a file that is not a module was loaded";
    } catch (const host::HostError& error) {
        // The message names the file the user knows, not the private copy.
        EXPECT_NE(std::string(error.what()).find("'" + module + "'"), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).find("quorvel-module-"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(session.loaded());
    console.execute("expect quorvel_factor 0.5");
    console.execute("touch 1");
    console.execute("wait 0.02");
    console.execute("expect velocity 25 0 0");

    std::filesystem::copy_file(QUORVEL_MODULE_PATH, module, std::filesystem::copy_options::overwrite_existing);
    session.reload();
    console.execute("touch 1");
    console.execute("wait 0.02");
    console.execute("expect velocity 12.5 0 0");
}
