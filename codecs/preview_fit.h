#pragma once
// When a preview that a file embeds may stand in for its picture.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "codecs/codec.h"

namespace nuthumb {

// Whether width x height has the proportions of picture_width x
// picture_height: its height off width * H / W, or its width off height * W / H,
// by at most `slack`. Sides of at most 2^28.
inline bool SameProportions(std::int64_t width, std::int64_t height, std::int64_t picture_width,
                            std::int64_t picture_height, double slack) {
    if (width < 1 || height < 1 || picture_width < 1 || picture_height < 1) return false;
    const double off = static_cast<double>(width * picture_height - height * picture_width);
    return std::abs(off) <= slack * static_cast<double>(std::max(picture_width, picture_height));
}

// Whether a preview of width x height is a scaled copy of a picture of
// picture_width x picture_height (its sides in the picture's proportions within
// `slack` of its own pixels: no bands, no crop to other proportions) and gives
// `plan`'s thumbnail without enlarging: the whole scaled picture, of which a
// crop keeps a window. Both sizes as stored, or both as shown, like the plan.
inline bool PreviewFits(std::int64_t width, std::int64_t height, std::int64_t picture_width,
                        std::int64_t picture_height, double slack, const DecodePlan& plan) {
    return !plan.whole && width >= ColumnsOf(plan.window, plan.width).scaled &&
           height >= RowsOf(plan.window, plan.height).scaled &&
           SameProportions(width, height, picture_width, picture_height, slack);
}

}  // namespace nuthumb
