#include "png_file.h"

#include <stb_image_write.h>

#include "platform/files.h"
#include "host_error.h"
#include "png_file_name.h"

namespace host {
namespace {
void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}
}  // namespace

void writePng(const std::string& path, const RgbImage& image) {
    if (const auto refusal = pngNameRefusal(path)) {
        throw HostError(*refusal);
    }
    // Encoded to memory first, so the file on disk is replaced whole or not at all.
    std::string encoded;
    const int rowBytes = image.width * 3;
    if (stbi_write_png_to_func(appendBytes, &encoded, image.width, image.height, 3, image.bytes.data(), rowBytes) ==
        0) {
        throw HostError("cannot write " + path + ": the picture could not be encoded as PNG");
    }
    writeFileAtomically(path, encoded);
}

}  // namespace host
