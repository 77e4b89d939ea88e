#include "pixels/orientation.h"

#include <cstring>

#include "pixels/load_error.h"

namespace nuthumb {

OrientationSteps StepsOf(Orientation orientation) {
    switch (orientation) {
        case 2: return {false, true, false};
        case 3: return {false, true, true};
        case 4: return {false, false, true};
        case 5: return {true, false, false};
        case 6: return {true, false, true};
        case 7: return {true, true, true};
        case 8: return {true, true, false};
        default: return {};
    }
}

Image OrientImage(const Image& image, Orientation orientation) {
    const int bits = image.bits_per_pixel;
    if (bits != 8 && bits != 24 && bits != 32) throw LoadError("cannot turn an image of this depth");
    const OrientationSteps steps = StepsOf(orientation);
    Image out;
    out.width = steps.swap ? image.height : image.width;
    out.height = steps.swap ? image.width : image.height;
    out.bits_per_pixel = image.bits_per_pixel;
    out.palette = image.palette;
    out.damage = image.damage;
    out.alpha = image.alpha;
    out.pixels.resize(out.stride() * static_cast<std::size_t>(out.height));
    const std::size_t bytes = static_cast<std::size_t>(bits / 8);
    const std::int32_t last_x = image.width - 1, last_y = image.height - 1;
    for (std::int32_t y = 0; y < out.height; ++y) {
        std::uint8_t* row = out.row_from_top(y);
        for (std::int32_t x = 0; x < out.width; ++x, row += bytes) {
            const std::int32_t u = steps.swap ? y : x, v = steps.swap ? x : y;
            const std::int32_t sx = steps.flip_x ? last_x - u : u, sy = steps.flip_y ? last_y - v : v;
            std::memcpy(row, image.row_from_top(sy) + static_cast<std::size_t>(sx) * bytes, bytes);
        }
    }
    return out;
}

}  // namespace nuthumb
