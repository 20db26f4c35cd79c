#include "png_file.h"

#include <stb_image_write.h>

#include "render_error.h"

namespace host {

void writePng(const std::string& path, const RgbImage& image) {
    const int rowBytes = image.width * 3;
    if (stbi_write_png(path.c_str(), image.width, image.height, 3, image.bytes.data(), rowBytes) == 0) {
        throw RenderError("cannot write the PNG file '" + path + "'");
    }
}

}  // namespace host
