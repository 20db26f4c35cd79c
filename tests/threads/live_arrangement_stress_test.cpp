// The live window's arrangement without a display: the game thread fires touches as fast as it can
// while the render thread draws the settings panel and writes a setting in every frame, for a fixed
// number of frames. Under ThreadSanitizer (the tsan preset) this is where a race would show.
#include <atomic>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "pluginsdk/console_variable.h"
#include "render_thread_frame.h"
#include "session/host_session.h"

namespace {

using host::HostThread;

constexpr int kFrames = 300;
constexpr int kLeastTouches = 300;

bool same(const Vector& a, const Vector& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}

TEST(LiveArrangement, TouchesOnTheGameThreadWhileTheRenderThreadDrawsAndWritesSettings) {
    std::ostringstream out;
    host::HostSession session(QUORVEL_MODULE_PATH, out, host::ThreadMode::Separate);
    session.load();
    session.threads().run(HostThread::Game, [&session] {
        session.world().ensureBall();
        for (const char* name : {"quorvel_enabled_blue", "quorvel_enabled_orange"}) {
            pluginsdk::setVariableText(*session.world().findVariable(name), "1");
        }
        pluginsdk::setVariableText(*session.world().findVariable("quorvel_factor"), "0.5");
    });

    const Vector given{1000.0f, -500.0f, 200.0f};
    const Vector halved{500.0f, -250.0f, 100.0f};
    const Vector doubled{2000.0f, -1000.0f, 400.0f};
    std::atomic<bool> framesDone{false};
    std::atomic<int> touches{0};
    int unexpected = 0;
    std::thread gameDriver([&] {
        session.threads().run(HostThread::Game, [&] {
            pluginsdk::World& world = session.world();
            while (!framesDone || touches < kLeastTouches) {
                world.touchBall(static_cast<std::uint8_t>(touches % 2), given);
                world.advanceClock(0.02);
                // The factor is read whole at firing: one of the two values the panel side writes.
                const Vector now = world.readBall()->velocity;
                if (!same(now, halved) && !same(now, doubled)) {
                    ++unexpected;
                }
                ++touches;
            }
        });
    });
    session.threads().run(HostThread::Render, [&session, &touches] {
        quorvel_test::RenderThreadFrames frames;
        frames.attach(session.plugin());
        // Through the plug-in's own console, as the panel writes a slider's value.
        CVarWrapper factor = session.plugin().plugin().cvarManagerShared->getCvar("quorvel_factor");
        for (int frame = 0; frame < kFrames; ++frame) {
            factor.setValue(frame % 2 == 0 ? 0.5f : 2.0f);
            frames.frame();
            // Keep the two sides overlapping: the game thread must be going before most frames.
            while (frame == 0 && touches == 0) {
                std::this_thread::yield();
            }
        }
    });
    framesDone = true;
    gameDriver.join();

    EXPECT_EQ(unexpected, 0);
    EXPECT_GE(touches, kLeastTouches);
    // Trajectory 0: every firing of an enabled team logs one line.
    EXPECT_EQ(session.world().loggedLineCount(), static_cast<std::uint64_t>(touches.load()));
    EXPECT_TRUE(session.takeCallbackFailures().empty());
    session.unload();
}

}  // namespace
