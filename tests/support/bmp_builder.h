#pragma once
// Builds small BMP files field by field, so that tests can make every variant
// and every kind of damage the reader must handle.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace nuthumb::test {

struct BmpBuilder {
    std::uint32_t header_size = 40;  // 12 core; 40 info; 52, 108, 124 carry masks
    std::int32_t width = 1;
    std::int32_t height = 1;  // negative: top-down
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t image_size = 0;
    std::uint32_t colors_used = 0;
    std::uint32_t colors_important = 0;
    std::uint32_t resolution = 3780;
    std::optional<std::array<std::uint32_t, 3>> masks;  // after a 40-byte header, or inside a larger one
    std::vector<std::array<std::uint8_t, 3>> palette;   // B, G, R (3 bytes each for the core header)
    std::vector<std::uint8_t> gap;                      // bytes between the table and the pixels
    std::optional<std::uint32_t> pixel_offset;          // default: where the pixels really begin
    std::vector<std::uint8_t> pixels;

    std::vector<std::uint8_t> Build() const {
        std::vector<std::uint8_t> f;
        auto put = [&f](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        f.push_back('B');
        f.push_back('M');
        put(0, 4);  // file size, patched below
        put(0, 4);
        put(0, 4);  // pixel offset, patched below
        put(header_size, 4);
        if (header_size == 12) {
            put(static_cast<std::uint32_t>(width), 2);
            put(static_cast<std::uint32_t>(height), 2);
            put(planes, 2);
            put(bits, 2);
        } else {
            put(static_cast<std::uint32_t>(width), 4);
            put(static_cast<std::uint32_t>(height), 4);
            put(planes, 2);
            put(bits, 2);
            put(compression, 4);
            put(image_size, 4);
            put(resolution, 4);
            put(resolution, 4);
            put(colors_used, 4);
            put(colors_important, 4);
            std::uint32_t written = 40;
            if (masks && header_size >= 52) {
                for (auto m : *masks) put(m, 4);
                written = 52;
            }
            while (written < header_size) {
                f.push_back(0);
                ++written;
            }
            if (masks && header_size < 52) {
                for (auto m : *masks) put(m, 4);
            }
        }
        for (const auto& c : palette) {
            f.insert(f.end(), c.begin(), c.end());
            if (header_size != 12) f.push_back(0);
        }
        f.insert(f.end(), gap.begin(), gap.end());
        const auto offset = static_cast<std::uint32_t>(f.size());
        f.insert(f.end(), pixels.begin(), pixels.end());
        auto patch = [&f](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
        };
        patch(2, static_cast<std::uint32_t>(f.size()));
        patch(10, pixel_offset.value_or(offset));
        return f;
    }
};

}  // namespace nuthumb::test
