#pragma once
// Small valid source images for runs over real folders.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "tests/support/bmp_builder.h"

namespace nuthumb::test {

// A 24-bit BMP of width x height with a colour gradient.
inline void WriteSampleBitmap(const std::string& path, std::int32_t width = 8, std::int32_t height = 6) {
    BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    bmp.pixels.assign(stride * static_cast<std::size_t>(height), 0);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* p = bmp.pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = 0x80;
        }
    const std::vector<std::uint8_t> bytes = bmp.Build();
    WriteFileAtomic(path, bytes);
}

}  // namespace nuthumb::test
