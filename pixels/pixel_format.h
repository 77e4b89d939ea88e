#pragma once
// Expansion of any image the loaders produce into 32-bit pixels, bytes B, G, R, 0:
// palettes applied, 16-bit pixels without masks read as 5-5-5, bit-field channels
// of n bits scaled with v8 = (v * 255 + m / 2) / m, m = 2^n - 1 (a zero mask gives
// 0; alpha is ignored).
#include <array>
#include <cstdint>
#include <vector>

#include "pixels/image.h"

namespace nuthumb {

// Prepared once per image (palette colours, channel tables), then used for as
// many rows as needed.
class BgrxRowExpander {
public:
    explicit BgrxRowExpander(const Image& image);

    // Writes row `y_from_top` as width * 4 bytes to `out`.
    void Expand(std::int32_t y_from_top, std::uint8_t* out) const;
    // The same for a row in the image's stored format that lies elsewhere.
    void ExpandRow(const std::uint8_t* row, std::uint8_t* out) const;

private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0;
        std::uint32_t max = 0;             // 2^n - 1; 0 for a zero mask
        std::vector<std::uint8_t> table;   // v -> v8, for masks of up to 16 bits
        std::uint8_t Scale(std::uint32_t pixel) const;
    };
    void ExpandIndexed(const std::uint8_t* row, std::uint8_t* out) const;
    void ExpandMasked(const std::uint8_t* row, std::uint8_t* out) const;

    const Image& image_;
    std::array<std::uint32_t, 256> colors_{};  // B | G << 8 | R << 16; 0 past the palette
    std::array<Channel, 3> channels_{};         // red, green, blue
};

}  // namespace nuthumb
