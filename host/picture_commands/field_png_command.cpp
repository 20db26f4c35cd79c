#include "picture_command.h"

#include <cmath>
#include <limits>
#include <string>

#include "console/console_numbers.h"
#include "flight_views/field_view.h"
#include "host_error.h"
#include "pluginsdk/world.h"
#include "printable_text.h"

namespace host {
namespace {

// The record from `seconds` before the game clock's time; all of it without `seconds`.
pluginsdk::FlightRecord recordOf(const pluginsdk::World& world, const ConsoleLine& line) {
    if (line.size() < 4) {
        return world.flightRecord(std::numeric_limits<std::int64_t>::min());
    }
    const float seconds = readFloat(line[3], "SECONDS");
    if (!(seconds >= 0.0f) || std::isinf(seconds)) {
        throw HostError(quoted(line[3]) + " is not a length of game time (expected SECONDS, 0 or more)");
    }
    // In double: a span longer than the clock's range (1e30 s) is simply all of it.
    const double since = world.gameTime() - static_cast<double>(seconds);
    if (since <= 0.0) {
        return world.flightRecord(std::numeric_limits<std::int64_t>::min());
    }
    return world.flightRecord(std::llround(since * static_cast<double>(pluginsdk::World::kTicksPerSecond)));
}

// What the picture says when the record has no tick in it.
std::string whyEmpty(const pluginsdk::World& world, const ConsoleLine& line) {
    if (!world.readBall()) {
        return "No ball: 'ball VX VY VZ' makes one, and physics flies it.";
    }
    if (line.size() >= 4) {
        return "The ball has not flown in the last " + printable(line[3]) + " s of game time.";
    }
    return "The ball has not flown yet: 'wait SECONDS' moves the game clock, and physics flies it.";
}

}  // namespace

void addFieldPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures) {
    addPictureCommand(
        interpreter, "field", "field png FILE [SECONDS]",
        "draw the arena from above and from the side with the ball's path over the last SECONDS (default: since "
        "physics was switched on), its ghost's, the touches and the plug-in's firings, to a PNG file",
        {3, 4}, std::move(pictures), [&session](const ConsoleLine& line, SessionPictures& drawing) {
            const pluginsdk::World& world = session.world();
            const pluginsdk::FlightRecord record = recordOf(world, line);
            if (!world.physics() && record.samples.empty()) {
                throw HostError("the ball has not flown: physics is off ('physics on' flies it)");
            }
            const std::string empty = whyEmpty(world, line);
            drawing.writeWindow(static_cast<int>(kFieldViewWidth), static_cast<int>(kFieldViewHeight),
                                [&record, &empty] {
                                    drawFieldView(record, ImVec2(kFieldViewWidth, kFieldViewHeight), empty);
                                },
                                std::string(line[2]));
        });
}

}  // namespace host
