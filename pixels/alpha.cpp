#include "pixels/alpha.h"

namespace nuthumb {

void FlattenOverWhite(Image& image) {
    if (!image.alpha || image.bits_per_pixel != 32) return;
    for (std::int32_t y = 0; y < image.height; ++y) {
        std::uint8_t* p = image.row_from_top(y);
        for (std::int32_t x = 0; x < image.width; ++x, p += 4) {
            const unsigned a = p[3];
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 255 * (255 - a) + 127) / 255);
            p[3] = 0;
        }
    }
    image.alpha = false;
}

}  // namespace nuthumb
