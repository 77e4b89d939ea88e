#pragma once
// The thumbnail's size: which side the size fixes, and the other side's length.
#include <cstdint>
#include <optional>

#include "image/conversion.h"

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

}  // namespace nuthumb
