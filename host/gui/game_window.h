// The live window's game controls: the module's state and a button to reload it, buttons that make a blue or an orange car touch the ball, the
// ball's speed over time as a plot, the last touches and what each firing of the plug-in did (speed
// after / before, the angle turned, whether the spin was cleared) and the plug-in's log (with any
// plug-in callback that threw).
//
// The game clock follows real time: the host advances it by each frame's duration, so a touch's
// delayed response fires 10 ms later, in the next frame or so. The plug-in reads its settings
// when that timer fires, so every change in the settings window applies from the next touch on.
//
// Threads: the thread that builds the frames. With separate threads the game has a thread of its
// own, whose tick moves the clock (runGui sets it up): the window then leaves the clock alone, hands
// each touch to the game thread and reads the ball and the log through the world's copies. The
// session must outlive this window and keep the plug-in loaded.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/vector.h"
#include "pluginsdk/flight_record.h"
#include "session/host_session.h"

namespace host {

class GameWindow {
public:
    explicit GameWindow(HostSession& session);

    // Moves the game clock on by `seconds` of real time, firing due timers (unless the game thread
    // moves it), and samples the ball's speed.
    void advance(double seconds);
    // Draws the window into the current Dear ImGui frame.
    void draw();
    // Called (from draw) when the user presses Reload.
    void onReload(std::function<void()> reload) { reload_ = std::move(reload); }
    // Shown beside the Reload button: whether the module is loaded.
    void setModuleState(std::string state) { moduleState_ = std::move(state); }
    // Called after each of the window's buttons is drawn, with the button's name (reload,
    // blue_touch, orange_touch), while it is Dear ImGui's last item.
    void onButtonDrawn(std::function<void(const std::string& name)> drawn) { buttonDrawn_ = std::move(drawn); }
    // The velocity the touch buttons give the ball.
    Vector touchVelocity() const { return {touchVelocity_[0], touchVelocity_[1], touchVelocity_[2]}; }
    // Shows a problem of the host's (a failed reload or save) with the log.
    void report(std::string problem);

private:
    void touch(int team);
    void drawn(const std::string& name);
    // Plug-in callbacks that threw are shown with the log.
    void collectFailures();
    void drawTouches();
    void drawSpeedPlot();
    void drawLog();

    HostSession& session_;
    float touchVelocity_[3] = {1000.0f, -500.0f, 200.0f};
    // The last touches and firings of the plug-in, from the world's record of the flight.
    std::deque<pluginsdk::FlightEvent> events_;
    std::uint64_t lastEvent_ = 0;
    // The ball's speed, sampled at a fixed step of game time, as a ring buffer.
    std::array<float, 300> speeds_{};
    std::size_t nextSpeed_ = 0;
    double untilNextSample_ = 0.0;
    std::deque<std::string> failures_;  // the most recent, as many as the world keeps log lines
    std::uint64_t failuresSeen_ = 0;
    std::uint64_t shownLogLines_ = 0;   // lines logged and failures seen when the view last followed
    std::function<void()> reload_;
    std::function<void(const std::string&)> buttonDrawn_;
    std::string moduleState_;
};

}  // namespace host
