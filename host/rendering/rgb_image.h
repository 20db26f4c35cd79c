// An image of 8-bit RGB pixels, rows from the top down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

struct RgbPixel {
    std::uint8_t r, g, b;
};

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;  // width * height * 3

    RgbPixel at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
        return {bytes[i], bytes[i + 1], bytes[i + 2]};
    }
};

}  // namespace host
