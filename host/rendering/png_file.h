// PNG files, encoded with Debian's stb_image_write.
#pragma once

#include <string>

#include "rgb_image.h"

namespace host {

// Writes `image` to `path`, replacing the file whole (see platform/files.h). Throws HostError if
// `path` is not a PNG file's name (png_file_name.h) or ("cannot write FILE: REASON") if it cannot be
// written; the old file is then untouched.
void writePng(const std::string& path, const RgbImage& image);

}  // namespace host
