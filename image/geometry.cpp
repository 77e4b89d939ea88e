#include "image/geometry.h"

#include <algorithm>
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

namespace {

// other * box / decisive, rounded to the nearest (a half up), at least 1.
std::int64_t Following(std::int64_t other, std::int64_t box, std::int64_t decisive) {
    return std::max<std::int64_t>(1, (2 * other * box + decisive) / (2 * decisive));
}

}  // namespace

std::optional<BoxedThumbnail> BoxedSize(std::int32_t source_width, std::int32_t source_height, BoxFit box,
                                        std::int32_t box_width, std::int32_t box_height, bool enlarge) {
    if (box == BoxFit::kNone || source_width < 1 || source_height < 1 || box_width < 1 || box_height < 1 ||
        box_width > kMaxBoxSide || box_height > kMaxBoxSide)
        return std::nullopt;
    const std::int64_t sw = source_width, sh = source_height, bw = box_width, bh = box_height;
    // The width decides when its ratio is the smaller (fit) or the larger (fill).
    const bool by_width = box == BoxFit::kFit ? bw * sh <= bh * sw : bw * sh >= bh * sw;
    const bool enlarging = by_width ? bw > sw : bh > sh;
    std::int64_t scaled_width = sw, scaled_height = sh;
    if (enlarge || !enlarging) {
        scaled_width = by_width ? bw : Following(sw, bh, sh);
        scaled_height = by_width ? Following(sh, bw, sw) : bh;
    }
    if (scaled_width > std::numeric_limits<std::int32_t>::max() ||
        scaled_height > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    BoxedThumbnail result;
    result.window.smooth_enlarge = true;
    if (box == BoxFit::kFit) {
        result.size = {static_cast<std::int32_t>(scaled_width), static_cast<std::int32_t>(scaled_height)};
        return result;
    }
    const std::int64_t width = std::min(bw, scaled_width), height = std::min(bh, scaled_height);
    result.size = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    if (width == scaled_width && height == scaled_height) return result;  // nothing to cut
    result.window.scaled_width = static_cast<std::int32_t>(scaled_width);
    result.window.scaled_height = static_cast<std::int32_t>(scaled_height);
    result.window.x = static_cast<std::int32_t>((scaled_width - width) / 2);
    result.window.y = static_cast<std::int32_t>((scaled_height - height) / 2);
    return result;
}

}  // namespace nuthumb
