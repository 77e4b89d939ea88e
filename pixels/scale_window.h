#pragma once
// The part of a scaled picture that a thumbnail keeps: a crop (a picture made to
// cover a box and cut to it around its centre) is the window of the picture
// scaled to cover the box, so every filter places its pixels exactly as on the
// whole scaled picture.
#include <cstdint>

namespace nuthumb {

struct ScaleWindow {
    // The whole picture scaled; 0 for the thumbnail's own size (no crop).
    std::int32_t scaled_width = 0, scaled_height = 0;
    // Where the thumbnail starts in the scaled picture, in the order the rows
    // and columns are given to the filter.
    std::int32_t x = 0, y = 0;
    // The area filter interpolates an axis it enlarges (bilinear: each pixel from
    // the two nearest source pixels by distance) instead of boxing it, which
    // would only repeat pixels with a blended seam between them.
    bool smooth_enlarge = false;
    bool operator==(const ScaleWindow&) const = default;
};

// One axis of a window: `count` pixels from `offset` of a picture of `scaled`.
struct AxisWindow {
    std::int32_t scaled, offset, count;
};
inline AxisWindow ColumnsOf(const ScaleWindow& window, std::int32_t width) {
    return {window.scaled_width > 0 ? window.scaled_width : width, window.x, width};
}
inline AxisWindow RowsOf(const ScaleWindow& window, std::int32_t height) {
    return {window.scaled_height > 0 ? window.scaled_height : height, window.y, height};
}

}  // namespace nuthumb
