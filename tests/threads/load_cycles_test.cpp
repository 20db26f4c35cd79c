// Loading and unloading across the host's threads, over and over: the loader thread loads and
// unloads while the game thread keeps touching the ball and the render thread draws the panel of
// each loaded plug-in. No callback may outlive its plug-in and no handle may be left behind.
#include <atomic>
#include <memory>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "render_thread_frame.h"
#include "session/host_session.h"

namespace {

using host::HostThread;

constexpr int kCycles = 1000;

TEST(LoadCycles, AThousandLoadsAndUnloadsWhileTheGameRunsAndThePanelIsDrawn) {
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out, host::ThreadMode::Separate);
    session.threads().run(HostThread::Game, [&session] { session.world().ensureBall(); });
    std::unique_ptr<quorvel_test::RenderThreadFrames> frames;
    session.threads().run(HostThread::Render,
                          [&frames] { frames = std::make_unique<quorvel_test::RenderThreadFrames>(); });

    std::atomic<bool> stop{false};
    std::atomic<long> touches{0};
    std::thread gameDriver([&] {
        while (!stop) {
            session.threads().run(HostThread::Game, [&session] {
                session.world().touchBall(1, Vector{1000.0f, -500.0f, 200.0f});
                session.world().advanceClock(0.005);
            });
            ++touches;
        }
    });

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        session.load();
        if (cycle == 0) {
            // Kept by the host across reloads: every later load finds the team switched on.
            session.threads().run(HostThread::Game, [&session] {
                pluginsdk::setVariableText(*session.world().findVariable("quorvel_enabled_orange"), "1");
            });
        }
        session.threads().run(HostThread::Render, [&session, &frames] {
            frames->attach(session.plugin());
            frames->frame();
            frames->detach();
        });
        const pluginsdk::PluginId id = session.plugin().id();
        session.unload();
        ASSERT_EQ(session.world().hookCount(id), 0u) << "cycle " << cycle;
        ASSERT_EQ(session.world().pendingTimerCount(id), 0u) << "cycle " << cycle;
    }
    stop = true;
    gameDriver.join();
    session.threads().run(HostThread::Render, [&frames] { frames.reset(); });

    EXPECT_GT(touches, 0);
    EXPECT_TRUE(session.takeCallbackFailures().empty());
    const pluginsdk::HandleCounts after = pluginsdk::liveHandles();
    EXPECT_EQ(after.actors, before.actors);
    EXPECT_EQ(after.variables, before.variables);
}

}  // namespace
