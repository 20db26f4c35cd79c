// Quorvel: slows the ball after a car touches it, and can deflect it by a random share.
//
// The plug-in keeps no data of its own: its settings live in four host console variables that the
// touch response and the settings panel look up by name every time they need them.
#pragma once

#include <cstdint>
#include <string>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_settings_window.h"
#include "bakkesmod/wrappers/ball_wrapper.h"

class Quorvel : public BakkesMod::Plugin::BakkesModPlugin, public BakkesMod::Plugin::PluginSettingsWindow {
public:
    // Load step (Quorvel.cpp): publishes the console manager module-wide, hooks the ball's touch
    // event, seeds the random generator from the clock and registers the settings variables.
    void onLoad() override;

    // Settings panel (settings_panel.cpp).
    void DrawSettingsPanel() override;
    std::string GetDisplayName() override;
    void AttachImGuiContext(std::uintptr_t context) override;

private:
    // Touch response (touch_response.cpp). The host calls onBallTouched after every car touch; it
    // schedules applySlowdown on a one-shot timer that holds its own copy of the ball handle.
    void onBallTouched(BallWrapper ball, void* params, std::string eventName);
    void applySlowdown(const BallWrapper& storedBall);
};
