// PNG files, written with Debian's stb_image_write.
#pragma once

#include <string>

#include "rgb_image.h"

namespace host {

// Writes `image` to `path`, replacing the file. Throws RenderError if it cannot be written.
void writePng(const std::string& path, const RgbImage& image);

}  // namespace host
