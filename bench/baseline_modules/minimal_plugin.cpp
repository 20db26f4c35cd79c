// The minimal plug-in: on a touch and at its firing it makes the very SDK calls Quorvel makes on a
// switched-on, deflecting touch, in the same order and with the same handle copies, but does no
// arithmetic of its own: the ball gets back the velocity it had. Quorvel's cost over this one is
// the cost of Quorvel's own work.
#include <string>
#include <utility>

#include "baseline_plugin.h"
#include "bakkesmod/wrappers/ball_wrapper.h"

namespace {

constexpr float kResponseDelay = 0.01f;

// The same names as Quorvel's settings: two of them are longer than the short-string buffer, so the
// lookups allocate as Quorvel's do.
constexpr char kEnabledBlue[] = "quorvel_enabled_blue";
constexpr char kEnabledOrange[] = "quorvel_enabled_orange";
constexpr char kFactor[] = "quorvel_factor";
constexpr char kTrajectory[] = "quorvel_trajectory";

class MinimalPlugin : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override {
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [this](BallWrapper ball, void* params, std::string eventName) {
                onBallTouched(std::move(ball), params, std::move(eventName));
            });
        CVarManagerWrapper& manager = *cvarManagerShared;
        manager.registerCvar(kEnabledBlue, "0", "", true, false, 0.0f, false, 0.0f, true);
        manager.registerCvar(kEnabledOrange, "0", "", true, false, 0.0f, false, 0.0f, true);
        manager.registerCvar(kFactor, "1", "", true, false, 0.0f, false, 0.0f, true);
        manager.registerCvar(kTrajectory, "0", "", true, false, 0.0f, false, 0.0f, true);
    }

private:
    void onBallTouched(BallWrapper ball, void* /*params*/, std::string /*eventName*/) {
        BallWrapper touched = ball;
        if (!touched) {
            return;
        }
        gameWrapperShared->SetTimeout([this, touched](GameWrapper*) { fire(touched); }, kResponseDelay);
    }

    void fire(const BallWrapper& storedBall) {
        BallWrapper ball = storedBall;
        if (!ball) {
            return;
        }
        const char* switchName = ball.GetHitTeamNum() == 0 ? kEnabledBlue : kEnabledOrange;
        bool enabled = false;
        {
            CVarWrapper teamSwitch = cvarManagerShared->getCvar(switchName);
            if (!teamSwitch) {
                return;
            }
            enabled = teamSwitch.getBoolValue();
        }
        if (!enabled) {
            ball.SetMagnusCoefficient(Vector{0.0f, 0.0f, 0.0f});
            return;
        }
        CVarWrapper factor = cvarManagerShared->getCvar(kFactor);
        if (!factor) {
            return;
        }
        CVarWrapper trajectory = cvarManagerShared->getCvar(kTrajectory);
        if (!trajectory) {
            return;
        }
        // Read, as Quorvel reads them, and deliberately not used.
        const float trajectoryPercent = trajectory.getFloatValue();
        const Vector velocity = ball.GetVelocity();
        const float speedFactor = factor.getFloatValue();
        static_cast<void>(trajectoryPercent);
        static_cast<void>(speedFactor);
        ball.SetVelocity(velocity);
    }
};

}  // namespace

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> makeBaselinePlugin() {
    return std::make_shared<MinimalPlugin>();
}
