// The world's rehearsal of touches: the plug-ins' own response to touches of a ball that is not the
// session's, run where the session cannot see it (see World::rehearseTouches).
#include <algorithm>
#include <exception>
#include <thread>

#include "bakkesmod/wrappers/ball_wrapper.h"
#include "handle_state_lock.h"
#include "host_environment.h"
#include "world.h"

namespace pluginsdk {
namespace {

// The world whose rehearsal runs on this thread, if any.
thread_local const World* rehearsing = nullptr;

// Timers set by the firings of timers set by a touch, and so on: rounds fired before the rest are
// dropped, so that a plug-in that sets a timer from each firing cannot hold a rehearsal forever.
constexpr int kTimerRounds = 4;

}  // namespace

bool World::rehearsingHere() const {
    return rehearsing == this;
}

std::vector<World::RehearsedBall> World::rehearseTouches(std::uint8_t team, const Vector& velocity,
                                                         const Vector& magnusCoefficient, std::size_t count) {
    std::vector<RehearsedBall> balls;
    balls.reserve(count);
    std::exception_ptr failure;
    std::thread rehearsal([&] {
        adoptHostEnvironment();
        rehearsing = this;
        try {
            for (std::size_t touch = 0; touch < count; ++touch) {
                auto ball = std::make_shared<detail::BallState>();
                ball->velocity = velocity;
                ball->magnusCoefficient = magnusCoefficient;
                ball->hitTeam = team;
                ball->world = weak_from_this();
                std::unique_lock lock(mutex_);
                runPostHooksLocked(lock, kCarTouchEvent, BallWrapper(ball));
                for (int round = 0; !rehearsalTimers_.empty(); ++round) {
                    std::vector<Timer> due = std::move(rehearsalTimers_);
                    rehearsalTimers_.clear();
                    for (Timer& timer : due) {
                        fireTimerLocked(lock, timer, round < kTimerRounds);
                    }
                }
                lock.unlock();
                const auto state = detail::lockHandleState();
                balls.push_back({ball->velocity, ball->magnusCoefficient});
            }
        } catch (...) {
            failure = std::current_exception();
        }
        rehearsing = nullptr;
    });
    rehearsal.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return balls;
}

}  // namespace pluginsdk
