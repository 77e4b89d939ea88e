#pragma once
// Test helpers that look at an Image the way a viewer would: colours from the top.
#include <cstdint>
#include <vector>

#include "pixels/image.h"
#include "pixels/pixel_format.h"

namespace nuthumb::test {

// Every pixel as 0xRRGGBB, top row first.
inline std::vector<std::uint32_t> RgbFromTop(const Image& image) {
    std::vector<std::uint32_t> rgb;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 4);
    BgrxRowExpander expander(image);
    for (std::int32_t y = 0; y < image.height; ++y) {
        expander.Expand(y, row.data());
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* p = row.data() + static_cast<std::size_t>(x) * 4;
            rgb.push_back(std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
        }
    }
    return rgb;
}

}  // namespace nuthumb::test
