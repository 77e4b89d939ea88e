#include "image/geometry.h"

#include <cmath>
#include <limits>

#include "pixels/image.h"

namespace nuthumb {
namespace {

// floor(other / (fixed / size)), or nothing when it is below 1 or does not fit.
std::optional<std::int32_t> FollowingSide(std::int32_t fixed, std::int32_t other,
                                          std::int32_t size) {
    const long double ratio = static_cast<long double>(fixed) / size;
    const long double side = std::floor(static_cast<long double>(other) / ratio);
    if (!(side >= 1.0L) || side > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(side);
}

}  // namespace

EffectiveBasis EffectiveBasisOf(bool resize, Basis basis, std::int32_t source_width, std::int32_t source_height) {
    if (!resize) return EffectiveBasis::kCopy;
    switch (basis) {
        case Basis::kLarger:
            return source_height > source_width ? EffectiveBasis::kHeight : EffectiveBasis::kWidth;
        case Basis::kHeight: return EffectiveBasis::kHeight;
        case Basis::kWidth: return EffectiveBasis::kWidth;
        case Basis::kNone: break;
    }
    return EffectiveBasis::kInvalid;
}

std::optional<ThumbnailSize> ScaledSize(std::int32_t source_width, std::int32_t source_height,
                                        std::int32_t size, EffectiveBasis basis) {
    if (size < 1 || source_width < 1 || source_height < 1) return std::nullopt;
    ThumbnailSize result;
    if (basis == EffectiveBasis::kHeight) {
        const auto width = FollowingSide(source_height, source_width, size);
        if (!width) return std::nullopt;
        result = {*width, size};
    } else if (basis == EffectiveBasis::kWidth) {
        const auto height = FollowingSide(source_width, source_height, size);
        if (!height) return std::nullopt;
        result = {size, *height};
    } else {
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(result.width) * static_cast<std::uint64_t>(result.height) >
        kMaxPixels)
        return std::nullopt;
    return result;
}

}  // namespace nuthumb
