// The module loaded under `--threads separate`: every call of the plug-in on the thread that owns
// it, and the generator of the game thread that the load step never seeds.
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "console/command_interpreter.h"
#include "render_thread_frame.h"
#include "session/host_session.h"

namespace {

using host::HostThread;

std::string threadName(const host::HostThreads& threads) {
    for (const auto& [owner, name] : {std::pair{HostThread::Loader, "loader"}, std::pair{HostThread::Game, "game"},
                                      std::pair{HostThread::Render, "render"}}) {
        if (threads.thread(owner) != nullptr && threads.thread(owner)->isCurrent()) {
            return name;
        }
    }
    return "console";
}

TEST(SeparateThreads, EachCallOfThePlugInRunsOnTheThreadThatOwnsIt) {
    std::vector<std::string> calls;  // "THREAD: CALL"; the world calls its listener one call at a time
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out, host::ThreadMode::Separate);
    session.addSdkCallObserver([&](const pluginsdk::SdkCall& call) {
        calls.push_back(threadName(session.threads()) + ": " + pluginsdk::describe(call));
    });

    session.load();
    session.threads().run(HostThread::Game, [&session] {
        session.world().ensureBall().velocity = {1000.0f, -500.0f, 200.0f};
        session.world().touchBall(1, std::nullopt);
        session.world().advanceClock(0.02);
    });
    session.threads().run(HostThread::Render, [&session] {
        quorvel_test::RenderThreadFrames frames;
        frames.attach(session.plugin());
        frames.frame();
    });
    session.unload();

    const std::vector<std::string> expected = {
        "loader: hook post \"Function TAGame.Ball_TA.OnCarTouch\"",
        "loader: registerCvar quorvel_enabled_blue \"0\"",
        "loader: registerCvar quorvel_enabled_orange \"0\"",
        "loader: registerCvar quorvel_factor \"1\"",
        "loader: registerCvar quorvel_trajectory \"0\"",
        "game: timeout 0.01",
        "game: getCvar quorvel_enabled_orange",
        "game: setMagnusCoefficient (0, 0, 0)",
        "render: getCvar quorvel_enabled_blue",
        "render: getCvar quorvel_enabled_orange",
        "render: getCvar quorvel_factor",
        "render: getCvar quorvel_trajectory",
    };
    EXPECT_EQ(calls, expected);
}

// The first deflected velocity after a load, with the clock at 7, in each arrangement.
std::string firstDeflectionAfterLoad(host::ThreadMode mode, int loads) {
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out, mode);
    host::CommandInterpreter console(session);
    console.execute("clock 7");
    console.execute("ball 0 0 0");
    for (int i = 0; i < loads; ++i) {
        for (const char* line : {"load", "quorvel_enabled_orange 1", "quorvel_trajectory 10",
                                 "touch 1 1000 -500 200", "wait 0.01", "velocity", "unload"}) {
            console.execute(line);
        }
    }
    return out.str();
}

TEST(SeparateThreads, TheGameThreadDeflectsFromItsUnseededStateAfterEveryLoad) {
    // State 1 gives the draws 41, 18467, 6334: (1000, -500, 200) becomes (941, -383, 194).
    EXPECT_EQ(firstDeflectionAfterLoad(host::ThreadMode::Separate, 2),
              "velocity (941, -383, 194)\nvelocity (941, -383, 194)\n");
    // On one thread the load step seeds the thread that deflects: the clock decides.
    const std::string one = firstDeflectionAfterLoad(host::ThreadMode::One, 2);
    EXPECT_NE(one.substr(0, one.find('\n')), "velocity (941, -383, 194)");
}

TEST(SeparateThreads, ACommandRefusedOnItsThreadFailsOnTheConsole) {
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out, host::ThreadMode::Separate);
    host::CommandInterpreter console(session);
    try {
        console.execute("unload");
        FAIL() << "unload without a module was accepted";
    } catch (const host::HostError& error) {
        EXPECT_STREQ(error.what(), "no module is loaded (use 'load')");
    }
    console.execute("load");
    EXPECT_THROW(console.execute("load"), host::HostError);
    EXPECT_THROW(console.execute("quorvel_factor fast"), host::HostError);
    console.execute("quorvel_factor");
    EXPECT_EQ(out.str(), "quorvel_factor = \"1\"\n");
}

}  // namespace
