#include <GL/gl.h>

#include <algorithm>

#include "rgb_image.h"

namespace host {

RgbImage readFramebuffer(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.bytes.data());
    // OpenGL's rows run from the bottom up.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* topRow = image.bytes.data() + static_cast<std::size_t>(top) * rowBytes;
        std::swap_ranges(topRow, topRow + rowBytes, image.bytes.data() + static_cast<std::size_t>(bottom) * rowBytes);
    }
    return image;
}

}  // namespace host
