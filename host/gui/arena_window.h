// The live window's view of the ball in flight: the arena from above and from the side with the
// last ten seconds of the ball's path and its ghost's, the touches and the plug-in's firings;
// beside it what the plug-in's last response did to the ball, and the ball's speed over the same
// ten seconds.
//
// Threads: the thread that builds the frames. The session must outlive the window.
#pragma once

#include <cstdint>
#include <optional>

#include "drawn_item.h"
#include "pluginsdk/flight_record.h"
#include "session/host_session.h"

namespace host {

class ArenaWindow {
public:
    // Switches the world's physics and ghost on: the live window shows the ball flying.
    explicit ArenaWindow(HostSession& session);

    // Draws the window into the current Dear ImGui frame.
    void draw();
    // Told where the view from above is (arena_above) as it is drawn.
    void onItemDrawn(DrawnItem drawn) { drawn_ = std::move(drawn); }

private:
    HostSession& session_;
    std::optional<pluginsdk::FlightEvent> lastFiring_;
    std::uint64_t lastEvent_ = 0;
    DrawnItem drawn_;
};

}  // namespace host
