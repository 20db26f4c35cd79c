// The console's pictures (`panel png`, `field png`) share one SessionPictures, so a script that
// takes many pays the renderer's set-up once. It belongs to the render thread, the one that builds
// the settings window's frames: it is made, drawn and destroyed there (its OpenGL context is
// current on it).
#pragma once

#include <memory>

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

}  // namespace host
