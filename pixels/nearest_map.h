#pragma once
// The nearest-neighbour mapping of the stretch: destination index d of dn takes the
// source index at the centre of its span, ((2d + 1) * n) / (2 * dn), in 64 bits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nuthumb {

inline std::int32_t NearestSourceIndex(std::int32_t d, std::int32_t n, std::int32_t dn) {
    return static_cast<std::int32_t>((2 * std::int64_t{d} + 1) * n / (2 * std::int64_t{dn}));
}

// The source index for each of `target` destination indices along one axis.
inline std::vector<std::int32_t> NearestMap(std::int32_t source, std::int32_t target) {
    std::vector<std::int32_t> map(static_cast<std::size_t>(target));
    for (std::int32_t d = 0; d < target; ++d) map[static_cast<std::size_t>(d)] = NearestSourceIndex(d, source, target);
    return map;
}

// Copies the picked pixels of one source row whose pixels hold B, G, R in their
// first three of `bytes_per_pixel` bytes, as B, G, R, 0; with `alpha`, the row's
// pixels are B, G, R, A and keep their A.
inline void SampleBgrColumns(const std::uint8_t* row, std::size_t bytes_per_pixel,
                             const std::vector<std::int32_t>& columns, std::uint8_t* out, bool alpha = false) {
    for (const std::int32_t sx : columns) {
        const std::uint8_t* p = row + static_cast<std::size_t>(sx) * bytes_per_pixel;
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        out[3] = alpha ? p[3] : 0;
        out += 4;
    }
}

}  // namespace nuthumb
