// Counts the pixels of one colour inside a rectangle of a PNG picture: by default a Dear ImGui
// check mark's, of which a ticked check box shows dozens and an empty one none.
//
//   screenshot_probe FILE X0 Y0 X1 Y1 [R G B]     prints the count
//
// A check mark is drawn in the default dark style's CheckMark colour (0.26, 0.59, 0.98), opaque;
// no other part of an idle check box comes near it. Pixels within 24 of the colour in each channel
// count.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <stb_image.h>

int main(int argc, char** argv) {
    if (argc != 6 && argc != 9) {
        std::fprintf(stderr, "usage: screenshot_probe FILE X0 Y0 X1 Y1 [R G B]\n");
        return 2;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(argv[1], &width, &height, &channels, 3);
    if (pixels == nullptr) {
        std::fprintf(stderr, "screenshot_probe: cannot read '%s': %s\n", argv[1], stbi_failure_reason());
        return 1;
    }
    const int x0 = std::atoi(argv[2]);
    const int y0 = std::atoi(argv[3]);
    const int x1 = std::atoi(argv[4]);
    const int y1 = std::atoi(argv[5]);
    int mark[3] = {66, 150, 250};
    if (argc == 9) {
        for (int c = 0; c < 3; ++c) {
            mark[c] = std::atoi(argv[6 + c]);
        }
    }
    int count = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) {
            const unsigned char* pixel = pixels + (static_cast<std::size_t>(y) * width + x) * 3;
            bool near = true;
            for (int c = 0; c < 3; ++c) {
                near = near && std::abs(pixel[c] - mark[c]) <= 24;
            }
            count += near ? 1 : 0;
        }
    }
    stbi_image_free(pixels);
    std::printf("%d\n", count);
    return 0;
}
