// The SDK's value handles as the host library implements them: a move hands the reference over and
// leaves a false handle behind, and the census of live handles stays exact when handles are made,
// moved and destroyed on several threads, also across threads and after a thread has ended.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "bakkesmod/wrappers/cvar_wrapper.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_census.h"
#include "pluginsdk/world.h"

namespace quorvel_test {
namespace {

struct WorldWithBallAndVariable {
    WorldWithBallAndVariable() {
        world->ensureBall().velocity = {1.0f, 2.0f, 3.0f};
        variable = world->registerVariable("sdk_handle_test", "0.5", "", false, 0.0f, false, 0.0f);
    }
    std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
    std::shared_ptr<pluginsdk::detail::ConsoleVariable> variable;
};

TEST(SdkHandleMoves, MovedFromHandlesTestFalseAndTheTargetNamesTheSameThing) {
    WorldWithBallAndVariable fixture;

    BallWrapper ball(fixture.world->ball());
    BallWrapper movedBall(std::move(ball));
    EXPECT_FALSE(ball);
    ASSERT_TRUE(movedBall);
    EXPECT_EQ(movedBall.GetVelocity(), (Vector{1.0f, 2.0f, 3.0f}));
    // A moved-from handle is still a handle: it reads as a missing ball and ignores writes.
    EXPECT_EQ(ball.GetVelocity(), Vector{});
    ball.SetVelocity({9.0f, 9.0f, 9.0f});
    EXPECT_EQ(fixture.world->ball()->velocity, (Vector{1.0f, 2.0f, 3.0f}));

    BallWrapper assignedBall(std::weak_ptr<pluginsdk::detail::BallState>{});
    assignedBall = std::move(movedBall);
    EXPECT_FALSE(movedBall);
    EXPECT_TRUE(assignedBall);

    ActorWrapper actor(fixture.world->ball());
    ActorWrapper movedActor(std::move(actor));
    EXPECT_FALSE(actor);
    EXPECT_TRUE(movedActor);

    CVarWrapper variable(fixture.variable);
    CVarWrapper movedVariable(std::move(variable));
    EXPECT_FALSE(variable);
    EXPECT_EQ(variable.getFloatValue(), 0.0f);
    ASSERT_TRUE(movedVariable);
    EXPECT_EQ(movedVariable.getFloatValue(), 0.5f);
    CVarWrapper assignedVariable(std::weak_ptr<pluginsdk::detail::ConsoleVariable>{});
    assignedVariable = std::move(movedVariable);
    EXPECT_FALSE(movedVariable);
    EXPECT_EQ(assignedVariable.getFloatValue(), 0.5f);
}

TEST(SdkHandleMoves, AMovedHandleStillFollowsTheThingItNames) {
    WorldWithBallAndVariable fixture;
    BallWrapper ball(fixture.world->ball());
    BallWrapper moved(std::move(ball));
    CVarWrapper variable(fixture.variable);
    CVarWrapper movedVariable(std::move(variable));

    fixture.world->destroyBall();
    fixture.world->removeVariable("sdk_handle_test");
    fixture.variable.reset();

    EXPECT_FALSE(moved);
    EXPECT_FALSE(movedVariable);
}

TEST(SdkHandleCensus, CountsEveryHandleThatExistsMovedFromOnesIncluded) {
    WorldWithBallAndVariable fixture;
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    {
        BallWrapper ball(fixture.world->ball());
        BallWrapper moved(std::move(ball));
        BallWrapper copy(moved);
        CVarWrapper variable(fixture.variable);
        CVarWrapper movedVariable(std::move(variable));
        EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors + 3);
        EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables + 2);
        moved = std::move(copy);  // an assignment makes no handle
        EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors + 3);
    }
    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
}

TEST(SdkHandleCensus, StaysExactWithSeveralThreads) {
    WorldWithBallAndVariable fixture;
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;

    // Each thread makes and destroys handles in a loop and leaves a few behind, which this thread
    // destroys once the makers have ended: their counts must outlive them.
    std::vector<std::vector<BallWrapper>> keptBalls(kThreads);
    std::vector<std::vector<CVarWrapper>> keptVariables(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                BallWrapper ball(fixture.world->ball());
                BallWrapper moved(std::move(ball));
                CVarWrapper variable(fixture.variable);
                if (round % 500 == 0) {
                    keptBalls[t].push_back(std::move(moved));
                    keptVariables[t].push_back(variable);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::size_t ballHandles = 0;
    std::size_t variableHandles = 0;
    for (int t = 0; t < kThreads; ++t) {
        ballHandles += keptBalls[t].size();
        variableHandles += keptVariables[t].size();
    }
    EXPECT_EQ(ballHandles, static_cast<std::size_t>(kThreads * kRounds / 500));
    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors + static_cast<std::int64_t>(ballHandles));
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables + static_cast<std::int64_t>(variableHandles));

    keptBalls.clear();
    keptVariables.clear();
    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
}

TEST(SdkHandleCensus, AHandleMadeOnOneThreadAndDestroyedOnAnotherLeavesNoCount) {
    WorldWithBallAndVariable fixture;
    const pluginsdk::HandleCounts before = pluginsdk::liveHandles();
    auto handle = std::make_unique<BallWrapper>(fixture.world->ball());
    std::thread([&handle] { handle.reset(); }).join();
    EXPECT_EQ(pluginsdk::liveHandles().actors, before.actors);

    std::unique_ptr<CVarWrapper> variable;
    std::thread([&] { variable = std::make_unique<CVarWrapper>(fixture.variable); }).join();
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables + 1);
    variable.reset();
    EXPECT_EQ(pluginsdk::liveHandles().variables, before.variables);
}

}  // namespace
}  // namespace quorvel_test
