// Panel pictures drawn by one SettingsWindowRenderer, made at the first picture and kept for the
// next ones. Threads and lifetime as PanelPictures (settings_window_png.h).
#pragma once

#include <memory>
#include <string>

#include "settings_window_png.h"
#include "settings_window_renderer.h"

namespace host {

class KeptRendererPictures final : public PanelPictures {
public:
    void write(LoadedPlugin& plugin, const std::string& path) override;

private:
    std::unique_ptr<SettingsWindowRenderer> renderer_;
};

}  // namespace host
