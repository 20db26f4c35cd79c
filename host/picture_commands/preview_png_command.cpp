#include "picture_command.h"

#include <string>

#include "console/console_numbers.h"
#include "flight_views/touch_preview_view.h"
#include "host_error.h"

namespace host {
namespace {

// The touches the line asks for: by TEAM (orange by default), of the ball as it is (its velocity
// and Magnus coefficient; a firm touch without a ball), or of the velocity given.
TouchPreview previewOf(const pluginsdk::World& world, const ConsoleLine& line) {
    TouchPreview preview;
    if (line.size() >= 4) {
        preview.team = static_cast<std::uint8_t>(readInteger(line[3], "TEAM: 0 blue, 1 orange", 0, 255));
    }
    const std::optional<pluginsdk::detail::BallState> ball = world.readBall();
    preview.velocity = ball ? ball->velocity : pluginsdk::kFirmTouch;  // without a ball, a firm touch
    if (ball) {
        preview.magnusCoefficient = ball->magnusCoefficient;
    }
    if (line.size() == 7) {
        preview.velocity = {readFloat(line[4], "X"), readFloat(line[5], "Y"), readFloat(line[6], "Z")};
    }
    return preview;
}

}  // namespace

void addPreviewPngCommand(CommandInterpreter& interpreter, HostSession& session,
                          std::shared_ptr<RenderThreadPictures> pictures) {
    addPictureCommand(
        interpreter, "preview", "preview png FILE [TEAM [VX VY VZ]]",
        "draw what the loaded plug-in does to 2,000 touches by TEAM (default 1, orange) of the ball as it is (or "
        "of that velocity), to a PNG file; the session stays as it was",
        {3, 4, 7}, std::move(pictures), [&session](const ConsoleLine& line, SessionPictures& drawing) {
            session.plugin();  // throws if none is loaded: there is nothing to preview
            pluginsdk::World& world = session.world();
            TouchPreview preview = previewOf(world, line);
            preview.after = world.rehearseTouches(preview.team, preview.velocity, preview.magnusCoefficient,
                                                  kPreviewTouches);
            drawing.writeWindow(static_cast<int>(kTouchPreviewWidth), static_cast<int>(kTouchPreviewHeight),
                                [&preview] {
                                    drawTouchPreview(preview, ImVec2(kTouchPreviewWidth, kTouchPreviewHeight));
                                },
                                std::string(line[2]));
        });
}

}  // namespace host
