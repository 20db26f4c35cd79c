// Dear ImGui windows drawn to an image without a display: a headless OpenGL context, the host's
// Dear ImGui context with the OpenGL 3 renderer and its font atlas.
//
// These cost far more to set up than a frame drawn with them, so one renderer keeps them for any
// number of pictures. Every picture is a frame in which its windows open afresh (a window that stays
// open is drawn differently: focus settles after its first frame), so the same content gives the
// same pixels however many pictures came before.
//
// Threads: made, used and destroyed on one thread (the OpenGL context is current there).
#pragma once

#include <functional>
#include <memory>

#include "rgb_image.h"

struct ImGuiContext;

namespace host {

class PictureRenderer {
public:
    // The largest picture it draws.
    static constexpr int kLargestWidth = 1600;
    static constexpr int kLargestHeight = 1200;

    // Throws HostError without software OpenGL.
    PictureRenderer();
    ~PictureRenderer();
    PictureRenderer(const PictureRenderer&) = delete;
    PictureRenderer& operator=(const PictureRenderer&) = delete;

    // Builds one Dear ImGui frame of `width` x `height` pixels (at most the largest) on the host's
    // context, in which `draw` begins and ends its windows, and returns it drawn. The context stays
    // current on this thread after the frame. What `draw` throws is thrown here, and the next
    // picture starts afresh.
    RgbImage render(int width, int height, const std::function<void(ImGuiContext* context)>& draw);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace host
