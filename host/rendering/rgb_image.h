// An image of 8-bit RGB pixels, rows from the top down.
#pragma once

#include <cstdint>
#include <vector>

namespace host {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;  // width * height * 3
};

}  // namespace host
