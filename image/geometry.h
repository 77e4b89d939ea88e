#pragma once
// The thumbnail's size: which side the size fixes, and the other side's length.
#include <cstdint>
#include <optional>

#include "image/conversion.h"
#include "pixels/scale_window.h"

namespace nuthumb {

enum class EffectiveBasis { kCopy, kHeight, kWidth, kInvalid };

// No resize copies; the larger side is the height when the source is taller than
// wide, else the width (a square goes by its width).
EffectiveBasis EffectiveBasisOf(bool resize, Basis basis, std::int32_t source_width, std::int32_t source_height);

struct ThumbnailSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const ThumbnailSize&) const = default;
};

// The scaled size: ratio = fixed source side / size, then the other side divided by
// that ratio, both in long double, floored. The two steps are part of the result
// (112 x 32 by height 30 gives 104 x 30, not 105). Empty when there is no sound
// result: a size below 1, an empty source, a computed side of 0, a basis that is
// neither height nor width, or more pixels than the limit.
std::optional<ThumbnailSize> ScaledSize(std::int32_t source_width, std::int32_t source_height,
                                        std::int32_t size, EffectiveBasis basis);

// The thumbnail of a box (BoxFit): its size, and where it lies in the picture
// scaled (a fill's crop; the window's smooth_enlarge is set, since a box is
// enlarged smoothly). The side that decides gets the box's length, the other
// side is rounded to the nearest pixel (5640 x 3172 into 320 x 320 gives 320 x
// 180), never below 1; a fill's crop lies around the centre, its odd pixel
// towards the end. Empty when there is no sound result: an empty source or
// box, a box side above kMaxBoxSide, or a scaled side beyond 32 bits.
struct BoxedThumbnail {
    ThumbnailSize size;
    ScaleWindow window;
    bool operator==(const BoxedThumbnail&) const = default;
};
std::optional<BoxedThumbnail> BoxedSize(std::int32_t source_width, std::int32_t source_height, BoxFit box,
                                        std::int32_t box_width, std::int32_t box_height, bool enlarge);

}  // namespace nuthumb
