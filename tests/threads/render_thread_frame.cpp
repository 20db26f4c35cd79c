#include "render_thread_frame.h"

namespace quorvel_test {

RenderThreadFrames::~RenderThreadFrames() {
    detach();
}

void RenderThreadFrames::attach(host::LoadedPlugin& plugin) {
    window_ = std::make_unique<host::SettingsWindow>(plugin, frames_.context());
}

void RenderThreadFrames::detach() {
    window_.reset();
}

void RenderThreadFrames::frame() {
    frames_.frame([this] {
        if (window_) {
            window_->draw();
        }
    });
}

}  // namespace quorvel_test
