#pragma once
// The nearest-neighbour mapping of the stretch: destination index d of dn takes the
// source index at the centre of its span, ((2d + 1) * n) / (2 * dn), in 64 bits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "pixels/image.h"
#include "pixels/scale_window.h"

namespace nuthumb {

inline std::int32_t NearestSourceIndex(std::int32_t d, std::int32_t n, std::int32_t dn) {
    return static_cast<std::int32_t>((2 * std::int64_t{d} + 1) * n / (2 * std::int64_t{dn}));
}

// The source index for each of the window's destination indices along one axis
// of `source` pixels scaled to `axis.scaled`.
inline std::vector<std::int32_t> NearestMap(std::int32_t source, AxisWindow axis) {
    std::vector<std::int32_t> map(static_cast<std::size_t>(axis.count));
    for (std::int32_t d = 0; d < axis.count; ++d)
        map[static_cast<std::size_t>(d)] = NearestSourceIndex(axis.offset + d, source, axis.scaled);
    return map;
}
// The source index for each of `target` destination indices along one axis.
inline std::vector<std::int32_t> NearestMap(std::int32_t source, std::int32_t target) {
    return NearestMap(source, AxisWindow{target, 0, target});
}

// For each of `target` indices along a stored axis of `source` pixels: the
// nearest pick, or when `flipped` the pick seen from the other end (source - 1 -
// pick of target - 1 - i). Rising either way, so a decoder can take the rows in
// file order; a thumbnail sampled with these picks and then turned is the
// nearest-neighbour thumbnail of the image as shown.
// Within a window (a crop) the stored axis's window is given: index offset + j
// of the stored axis takes what index offset + j of the whole map takes.
inline std::vector<std::int32_t> PickMap(std::int32_t source, AxisWindow axis, bool flipped) {
    if (!flipped) return NearestMap(source, axis);
    std::vector<std::int32_t> map(static_cast<std::size_t>(axis.count));
    for (std::int32_t j = 0; j < axis.count; ++j)
        map[static_cast<std::size_t>(j)] =
            source - 1 - NearestSourceIndex(axis.scaled - 1 - (axis.offset + j), source, axis.scaled);
    return map;
}
inline std::vector<std::int32_t> PickMap(std::int32_t source, std::int32_t target, bool flipped) {
    return PickMap(source, AxisWindow{target, 0, target}, flipped);
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

// The nearest-row picker every decoder shares: which thumbnail rows take a source
// row, so that a decoder keeps only the rows it must and each picked row is
// sampled once, its repeats (an enlarged row) copied.
class NearestRows {
public:
    // Thumbnail row dy of `picks` (rising) takes source row picks[dy].
    explicit NearestRows(std::vector<std::int32_t> picks) : picks_(std::move(picks)) {}

    // Whether some thumbnail row takes source row y.
    bool Takes(std::int32_t y) const { return std::binary_search(picks_.begin(), picks_.end(), y); }
    // The first source row from y on that some thumbnail row takes, or -1.
    std::int32_t NextTaken(std::int32_t y) const {
        const auto next = std::lower_bound(picks_.begin(), picks_.end(), y);
        return next == picks_.end() ? -1 : *next;
    }
    // Every row of `thumb` that takes source row y (rows counted from the top, in
    // any order): `sample(out)` fills the first, the others are copies of it.
    template <class Sample>
    void Fill(Image& thumb, std::int32_t y, Sample&& sample) const {
        const auto [first, last] = std::equal_range(picks_.begin(), picks_.end(), y);
        if (first == last) return;
        const auto top = static_cast<std::int32_t>(first - picks_.begin());
        sample(thumb.row_from_top(top));
        for (auto dy = top + 1; dy < static_cast<std::int32_t>(last - picks_.begin()); ++dy)
            std::memcpy(thumb.row_from_top(dy), thumb.row_from_top(top), thumb.stride());
    }
    const std::vector<std::int32_t>& picks() const { return picks_; }

private:
    std::vector<std::int32_t> picks_;
};

}  // namespace nuthumb
