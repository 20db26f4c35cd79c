// The ball's flight in the world: the integrator against its closed form, a bounce that keeps the
// height it should, a ball set far outside the arena, and the order of ticks and timers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "pluginsdk/console_variable.h"
#include "pluginsdk/world.h"

namespace quorvel_test {
namespace {

using pluginsdk::detail::BallVector;

class WorldFlight : public ::testing::Test {
protected:
    WorldFlight() { world->setPhysics(true); }

    void set(const std::string& name, const std::string& value) {
        ASSERT_EQ(pluginsdk::setVariableText(*world->findVariable(name), value), std::nullopt) << name;
    }

    const std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
};

// Semi-implicit Euler under gravity alone: after n ticks of dt, v = v0 - n g dt and
// p = p0 + n v0 dt - g dt^2 n (n + 1) / 2 (each tick moves by the velocity it has just reached).
// Explicit Euler would be g dt^2 n = 5.4 units off after a second; the floats add up to far less.
TEST_F(WorldFlight, GravityAloneFollowsTheIntegratorsClosedForm) {
    set("physics_drag", "0");
    const Vector start{-300.0f, 200.0f, 1000.0f};
    const Vector velocity{100.0f, -50.0f, 300.0f};
    world->setBallVector(BallVector::Position, start);
    world->setBallVector(BallVector::Velocity, velocity);
    world->setBallVector(BallVector::Spin, {3.0f, -2.0f, 5.0f});  // no Magnus coefficient: no effect

    world->advanceClock(1.0);  // ticks 1 to 120, the last at exactly 1 s

    const double n = 120.0;
    const double dt = pluginsdk::kFlightTickSeconds;
    const double g = pluginsdk::FlightSettings{}.gravity;
    const Vector position = world->readBall()->position;
    EXPECT_NEAR(position.X, start.X + n * velocity.X * dt, 0.01);
    EXPECT_NEAR(position.Y, start.Y + n * velocity.Y * dt, 0.01);
    EXPECT_NEAR(position.Z, start.Z + n * velocity.Z * dt - g * dt * dt * n * (n + 1.0) / 2.0, 0.01);
    EXPECT_NEAR(world->readBall()->velocity.Z, velocity.Z - n * g * dt, 0.001);
}

// Dropped with restitution 1 and no drag, the ball rises after the bounce to the height it fell
// from, less what the integrator loses at a bounce: the tick's travel at the speed of impact (the
// velocity leads the position by a tick going down and lags it going up). Restitution 0.6 would
// lose two thirds of the height.
TEST_F(WorldFlight, ABounceWithRestitutionOneKeepsTheHeight) {
    set("physics_drag", "0");
    set("physics_restitution", "1");
    const float dropped = 1000.0f;
    world->setBallVector(BallVector::Position, {0.0f, 0.0f, dropped});

    world->advanceClock(4.0);  // down in 1.67 s, up again in as long

    const pluginsdk::FlightRecord record = world->flightRecord(0);
    const auto lowest = std::min_element(record.samples.begin(), record.samples.end(),
                                         [](const auto& a, const auto& b) { return a.ball.Z < b.ball.Z; });
    ASSERT_LT(lowest->ball.Z, 100.0f) << "the ball never reached the floor";
    const auto highest = std::max_element(lowest, record.samples.end(),
                                          [](const auto& a, const auto& b) { return a.ball.Z < b.ball.Z; });
    ASSERT_NE(highest, record.samples.end() - 1) << "the ball was still rising";
    const pluginsdk::FlightSettings settings = world->flightSettings();
    const double impactSpeed = std::sqrt(2.0 * settings.gravity * (dropped - settings.ballRadius));
    EXPECT_LE(highest->ball.Z, dropped);
    EXPECT_GE(highest->ball.Z, dropped - impactSpeed * pluginsdk::kFlightTickSeconds);
}

// A ball put far beyond a face comes back onto that face, on its own side of the arena (the
// mirror of its travel would carry it past the opposite face).
TEST_F(WorldFlight, ABallFarBeyondAFaceComesBackOntoThatFace) {
    const float inside = 4096.0f - 92.75f;
    for (const float x : {99999.0f, -99999.0f}) {
        world->setBallVector(BallVector::Position, {x, 0.0f, 100.0f});
        world->advanceClock(0.01);  // one tick
        EXPECT_EQ(world->readBall()->position.X, x > 0.0f ? inside : -inside) << x;
    }
    world->setBallVector(BallVector::Position, {0.0f, 0.0f, 1e30f});
    world->advanceClock(0.01);  // one tick
    EXPECT_EQ(world->readBall()->position.Z, 2044.0f - 92.75f);
}

// A timer due at the same microsecond as a tick sees the ball that tick has moved.
TEST_F(WorldFlight, ATickGoesBeforeATimerDueAtItsTime) {
    world->setBallVector(BallVector::Velocity, {1200.0f, 0.0f, 0.0f});
    const auto plugin = world->addPlugin("Test");
    float seenX = 0.0f;
    world->addTimer(plugin->id, nullptr, [&](GameWrapper*) { seenX = world->readBall()->position.X; }, 0.025f);

    world->advanceClock(0.025);  // ticks 1, 2 and 3, the last at 25,000 microseconds, with the timer

    EXPECT_EQ(seenX, world->readBall()->position.X);
    EXPECT_GT(seenX, 29.0f) << "three ticks of 10 units each, less the drag";
}

}  // namespace
}  // namespace quorvel_test
