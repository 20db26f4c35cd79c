// What the picture commands (picture_commands.h) share: one SessionPictures, so a script that takes
// many pays the renderer's set-up once. It belongs to the render thread, the one that builds the
// settings window's frames: it is made, drawn and destroyed there (its OpenGL context is current on
// it).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "console/command_interpreter.h"
#include "rendering/session_pictures.h"
#include "session/host_session.h"

namespace host {

class RenderThreadPictures {
public:
    explicit RenderThreadPictures(HostSession& session) : session_(session) {}
    ~RenderThreadPictures() {
        try {
            session_.threads().run(HostThread::Render, [this] { pictures_.reset(); });
        } catch (...) {
            // Nothing to report at this point; the render thread ends with the session.
        }
    }
    RenderThreadPictures(const RenderThreadPictures&) = delete;
    RenderThreadPictures& operator=(const RenderThreadPictures&) = delete;

    // On the render thread: the pictures, made at the first call.
    SessionPictures& get() {
        if (!pictures_) {
            pictures_ = std::make_unique<SessionPictures>();
        }
        return *pictures_;
    }

private:
    HostSession& session_;
    std::unique_ptr<SessionPictures> pictures_;
};

// Adds the picture command `NAME png FILE ...` to `interpreter`: a build that cannot draw says so
// before it judges the line; a line whose second word is not `png`, or whose number of words
// `words` does not allow, is a usage error. `draw` runs on the render thread with the line and
// the shared pictures.
void addPictureCommand(CommandInterpreter& interpreter, const std::string& name, const std::string& usage,
                       const std::string& description, WordCounts words, std::shared_ptr<RenderThreadPictures> pictures,
                       std::function<void(const ConsoleLine& line, SessionPictures& pictures)> draw);

// Each command, added to `interpreter` drawing with `pictures`; `session` must outlive the interpreter.
void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures);
// `field png FILE [SECONDS]`: the arena from above and from the side with the ball's flight over the
// last SECONDS of game time (all of it since physics was switched on, by default), its ghost, the
// touches and the plug-in's firings.
void addFieldPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures);
// `preview png FILE [TEAM [VX VY VZ]]`: the loaded plug-in's own response to 2,000 touches of one
// velocity with the settings as they are, leaving the session as it was (World::rehearseTouches): a
// script prints the same after a preview as without it.
void addPreviewPngCommand(CommandInterpreter& interpreter, HostSession& session,
                          std::shared_ptr<RenderThreadPictures> pictures);

}  // namespace host
