// The touch response's handles, timers and threads, through the loaded module: every handle is
// released on every way a firing can go (also when an exception passes through), a touch on a
// ball that is gone schedules nothing, unloading drops pending responses, and the generator's
// state belongs to the thread that fires.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "module_in_world.h"
#include "pluginsdk/handle_census.h"
#include "touch_model.h"

// Found by argument-dependent lookup, so they live beside the type.
namespace pluginsdk {
bool operator==(const HandleCounts& a, const HandleCounts& b) {
    return a.actors == b.actors && a.variables == b.variables;
}
void PrintTo(const HandleCounts& counts, std::ostream* out) {
    *out << counts.actors << " ball handles, " << counts.variables << " variable handles";
}
}  // namespace pluginsdk

namespace quorvel_test {
namespace {

constexpr std::int64_t kClock = 1;

std::vector<std::string> logged(pluginsdk::World& world) {
    std::vector<std::string> lines;
    for (const pluginsdk::LogLine& line : world.recentLogLines()) {
        lines.push_back(line.text);
    }
    return lines;
}

// The orange switch on, factor 0.5, the ball at (1000, -500, 200) with some spin.
void orangeOnAndMoving(ModuleInWorld& module) {
    module.setNumber("quorvel_enabled_orange", 1.0f);
    module.setNumber("quorvel_factor", 0.5f);
    module.ball().velocity = {1000.0f, -500.0f, 200.0f};
    module.ball().magnusCoefficient = {1.0f, 1.0f, 1.0f};
}

struct FiringPath {
    const char* name;
    std::function<void(ModuleInWorld&)> arrange;          // after orangeOnAndMoving
    std::function<void(ModuleInWorld&)> betweenTouchAndFiring;
    std::vector<std::string> expectedLog;
    Vector expectedVelocity;
};

TEST(TouchResponseHandles, EveryWayAFiringGoesReleasesEveryHandle) {
    const auto nothing = [](ModuleInWorld&) {};
    const std::vector<FiringPath> paths = {
        {"ball gone", nothing, [](ModuleInWorld& m) { m.world().destroyBall(); }, {}, {}},
        {"switch missing", [](ModuleInWorld& m) { m.world().removeVariable("quorvel_enabled_orange"); }, nothing, {},
         {1000.0f, -500.0f, 200.0f}},
        {"switch off", [](ModuleInWorld& m) { m.setNumber("quorvel_enabled_orange", 0.0f); }, nothing, {},
         {1000.0f, -500.0f, 200.0f}},
        {"factor missing", [](ModuleInWorld& m) { m.world().removeVariable("quorvel_factor"); }, nothing, {},
         {1000.0f, -500.0f, 200.0f}},
        {"trajectory missing", [](ModuleInWorld& m) { m.world().removeVariable("quorvel_trajectory"); }, nothing, {},
         {1000.0f, -500.0f, 200.0f}},
        {"trajectory zero", nothing, nothing, {"Trajectory zero"}, {500.0f, -250.0f, 100.0f}},
        {"range unusable",
         [](ModuleInWorld& m) {
             m.setNumber("quorvel_trajectory", 10.0f);
             m.ball().velocity.Z = 0.0f;
         },
         nothing,
         {"Velocity component rounded to zero, velocity: (1000.000000, -500.000000, 0.000000)"},
         {500.0f, -250.0f, 0.0f}},
        {"deflected", [](ModuleInWorld& m) { m.setNumber("quorvel_trajectory", 10.0f); }, nothing, {},
         {470.5f, -191.5f, 97.0f}},
        {"not finite", [](ModuleInWorld& m) { m.setNumber("quorvel_factor", 1e38f); }, nothing,
         {"Trajectory zero", "Velocity not finite, left unchanged"}, {1000.0f, -500.0f, 200.0f}},
    };
    for (const FiringPath& path : paths) {
        SCOPED_TRACE(path.name);
        ModuleInWorld module(kClock);
        orangeOnAndMoving(module);
        path.arrange(module);
        const pluginsdk::HandleCounts before = pluginsdk::liveHandles();

        module.world().touchBall(1, std::nullopt);
        EXPECT_EQ(module.world().pendingTimerCount(module.pluginId()), 1u);
        path.betweenTouchAndFiring(module);
        module.fire();

        EXPECT_EQ(pluginsdk::liveHandles(), before);
        EXPECT_EQ(logged(module.world()), path.expectedLog);
        if (module.world().ball()) {
            EXPECT_EQ(module.ball().velocity, path.expectedVelocity);
        }
    }
}

TEST(TouchResponseHandles, ReleasedWhenAnExceptionPassesThroughTheFiring) {
    // The host's own calls throw at each point where the firing holds handles: while looking up
    // each setting, and while logging.
    for (const char* throwingCall : {"getCvar quorvel_enabled_orange", "getCvar quorvel_factor",
                                     "getCvar quorvel_trajectory", "log"}) {
        SCOPED_TRACE(throwingCall);
        ModuleInWorld module(kClock);
        orangeOnAndMoving(module);
        std::vector<std::string> failures;
        module.world().setFailureListener([&failures](const std::string& failure) { failures.push_back(failure); });
        const std::string call = throwingCall;
        module.world().setTraceListener([call](const pluginsdk::SdkCall& traced) {
            if (pluginsdk::describe(traced) == call) {
                throw std::runtime_error("host failure in " + call);
            }
        });
        module.world().setLogListener([call](const pluginsdk::LogLine&) {
            if (call == "log") {
                throw std::runtime_error("host failure in log");
            }
        });
        const pluginsdk::HandleCounts before = pluginsdk::liveHandles();

        module.touchAndFire(1);

        ASSERT_EQ(failures.size(), 1u);
        EXPECT_NE(failures[0].find("host failure in " + call), std::string::npos) << failures[0];
        EXPECT_EQ(pluginsdk::liveHandles(), before);
        EXPECT_EQ(module.ball().velocity, (Vector{1000.0f, -500.0f, 200.0f}));
    }
}

TEST(TouchResponse, TouchOnABallThatIsGoneSchedulesNothing) {
    ModuleInWorld module(kClock);
    orangeOnAndMoving(module);
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();

    module.world().runPostHooks(pluginsdk::kCarTouchEvent, BallWrapper(std::weak_ptr<pluginsdk::detail::BallState>()));
    EXPECT_EQ(module.world().pendingTimerCount(module.pluginId()), 0u);
    EXPECT_EQ(pluginsdk::liveHandles(), before);

    // The same hook with the live ball does schedule.
    module.world().runPostHooks(pluginsdk::kCarTouchEvent, BallWrapper(module.world().ball()));
    EXPECT_EQ(module.world().pendingTimerCount(module.pluginId()), 1u);
}

TEST(ModuleUnload, DropsPendingResponsesAndTheHandlesTheyHold) {
    ModuleInWorld module(kClock);
    orangeOnAndMoving(module);
    const pluginsdk::PluginId plugin = module.pluginId();
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    for (int touch = 0; touch < 3; ++touch) {
        module.world().touchBall(1, std::nullopt);
    }
    ASSERT_EQ(module.world().pendingTimerCount(plugin), 3u);
    EXPECT_GT(pluginsdk::liveHandles().actors, before.actors);

    module.unload();

    EXPECT_EQ(module.world().pendingTimerCount(plugin), 0u);
    EXPECT_EQ(module.world().hookCount(plugin), 0u);
    EXPECT_EQ(pluginsdk::liveHandles(), before);
    // The game goes on: its clock passes the responses' due time and cars touch the ball again.
    module.world().advanceClock(1.0);
    module.world().touchBall(1, std::nullopt);
    module.world().advanceClock(1.0);
    EXPECT_EQ(module.ball().velocity, (Vector{1000.0f, -500.0f, 200.0f}));
    EXPECT_EQ(module.ball().magnusCoefficient, (Vector{1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(module.world().loggedLineCount(), 0u);
}

TEST(TouchResponseGenerator, StateBelongsToTheThreadThatFires) {
    // Loaded (and so seeded) on this thread with a clock other than 1; the response fires on a
    // thread that never seeded its state, which therefore starts at 1: the worked example's draws.
    ModuleInWorld module(987654321);
    orangeOnAndMoving(module);
    module.setNumber("quorvel_trajectory", 10.0f);
    module.world().touchBall(1, std::nullopt);
    std::thread([&module] { module.fire(); }).join();
    EXPECT_EQ(module.ball().velocity, (Vector{470.5f, -191.5f, 97.0f}));

    // On the loading thread the seed applies, and the same touch comes out otherwise.
    module.ball().velocity = {1000.0f, -500.0f, 200.0f};
    module.touchAndFire(1);
    TouchModel seeded(987654321);
    const FiringResult expected = seeded.fire({{1000.0f, -500.0f, 200.0f}, {}, 1, false, true, 10.0f, 0.5f});
    EXPECT_EQ(module.ball().velocity, expected.velocity);
    EXPECT_NE(module.ball().velocity, (Vector{470.5f, -191.5f, 97.0f}));
}

TEST(TouchModel, FollowsTheRulesWorkedThroughByHand) {
    // The model is itself held to values derived by hand, so that the differential test does not
    // compare the module with a model that is wrong in the same way.
    EXPECT_EQ(TouchModel::firstDraws(3), (std::vector<int>{41, 18467, 6334}));
    TouchModel model(1);
    const FiringResult result = model.fire({{1000.0f, -500.0f, 200.0f}, {}, 1, false, true, 10.0f, 0.5f});
    EXPECT_EQ(result.velocity, (Vector{470.5f, -191.5f, 97.0f}));
    EXPECT_TRUE(result.logLines.empty());
    // Exact halves round away from zero: ranges 1, -1 and 3 (draws 26500, 19169, 15724 next).
    const FiringResult halves = model.fire({{0.5f, -0.5f, 2.5f}, {}, 0, true, false, 50.0f, 1.0f});
    EXPECT_EQ(halves.velocity, (Vector{0.25f, -0.25f, 15724 % 3 - 1.25f + 2.5f}));
}

}  // namespace
}  // namespace quorvel_test
