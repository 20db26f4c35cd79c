// An image of 8-bit RGB pixels, rows from the top down, and how one is read from OpenGL.
#pragma once

#include <cstdint>
#include <vector>

namespace host {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;  // width * height * 3
};

// [the thread whose OpenGL context is current] The `width` x `height` pixels at the bottom left of
// the current read buffer, where OpenGL's rows start, as an image.
RgbImage readFramebuffer(int width, int height);

}  // namespace host
