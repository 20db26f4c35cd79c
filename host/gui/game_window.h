// The live window's game controls: the module's state and a button to reload it, the velocity a
// touch gives, buttons that make a blue or an orange car touch the ball, and the last touches with
// what each firing of the plug-in did (speed after / before, the angle turned, whether the spin
// was cleared).
//
// The game clock follows real time: the host advances it by each frame's duration, so a touch's
// delayed response fires 10 ms later, in the next frame or so. The plug-in reads its settings
// when that timer fires, so every change in the settings window applies from the next touch on.
//
// Threads: the thread that builds the frames. With separate threads the game has a thread of its
// own, whose tick moves the clock (runGui sets it up): the window then leaves the clock alone, hands
// each touch to the game thread and reads the ball through the world's copies. The session must
// outlive this window and keep the plug-in loaded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "bakkesmod/wrappers/vector.h"
#include "drawn_item.h"
#include "pluginsdk/flight_record.h"
#include "pluginsdk/world.h"
#include "session/host_session.h"

namespace host {

class GameWindow {
public:
    explicit GameWindow(HostSession& session) : session_(session) {}

    // Moves the game clock on by `seconds` of real time, firing due timers (unless the game thread
    // moves it), and takes the touches and firings since the last frame.
    void advance(double seconds);
    // Draws the window into the current Dear ImGui frame.
    void draw();
    // Called (from draw) when the user presses Reload.
    void onReload(std::function<void()> reload) { reload_ = std::move(reload); }
    // Shown beside the Reload button: whether the module is loaded.
    void setModuleState(std::string state) { moduleState_ = std::move(state); }
    // Told of the buttons (reload, blue_touch, orange_touch) and of the newest row of the touch
    // list (last_touch_row, with its text) as they are drawn.
    void onItemDrawn(DrawnItem drawn) { drawn_ = std::move(drawn); }
    // The velocity the touch buttons give the ball.
    Vector touchVelocity() const { return {touchVelocity_[0], touchVelocity_[1], touchVelocity_[2]}; }

private:
    void touch(int team);
    void drawTouches();

    HostSession& session_;
    float touchVelocity_[3] = {pluginsdk::kFirmTouch.X, pluginsdk::kFirmTouch.Y, pluginsdk::kFirmTouch.Z};
    // The last touches and firings of the plug-in, from the world's record of the flight.
    std::deque<pluginsdk::FlightEvent> events_;
    std::uint64_t lastEvent_ = 0;
    std::function<void()> reload_;
    DrawnItem drawn_;
    std::string moduleState_;
};

}  // namespace host
