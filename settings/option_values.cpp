#include "settings/option_values.h"

#include <algorithm>
#include <iterator>

namespace nuthumb {

namespace {

// In item order: the window's groups, the settings file and batch entries all
// number the formats so.
constexpr ImageFormat kFormatOfItem[] = {ImageFormat::kBmp,  ImageFormat::kJpeg, ImageFormat::kPng,
                                         ImageFormat::kWebp, ImageFormat::kHeic, ImageFormat::kAvif};

}  // namespace

SourceChoice SourceOfItem(std::int32_t item) {
    if (item == keys::kLastSourceItem) return kEveryReadableFormat;
    if (item < 0 || item > keys::kLastSourceItem) return ImageFormat::kJpeg;
    return kFormatOfItem[item];
}

ImageFormat TargetFormatOfItem(std::int32_t item) {
    if (item < 0 || item > keys::kLastTargetItem) return ImageFormat::kJpeg;
    return kFormatOfItem[item];
}

std::int32_t ItemOfSource(SourceChoice choice) {
    if (!choice) return keys::kLastSourceItem;
    const auto found = std::find(std::begin(kFormatOfItem), std::end(kFormatOfItem), *choice);
    return found == std::end(kFormatOfItem) ? keys::kJpegItem : static_cast<std::int32_t>(found - kFormatOfItem);
}

Basis BasisOfItem(std::int32_t item) {
    switch (item) {
        case 0: return Basis::kHeight;
        case 1: return Basis::kWidth;
        case 2: return Basis::kLarger;
        default: return Basis::kNone;
    }
}

std::int32_t ItemOfBasis(Basis basis) {
    switch (basis) {
        case Basis::kHeight: return 0;
        case Basis::kWidth: return 1;
        case Basis::kLarger: return 2;
        case Basis::kNone: break;
    }
    return -1;
}

OverwriteMode OverwriteModeOfItem(std::int32_t item) {
    switch (item) {
        case 1: return OverwriteMode::kAlways;
        case 2: return OverwriteMode::kAsk;
        default: return OverwriteMode::kNever;
    }
}

ScaleFilter FilterOfItem(std::int32_t item) { return item == 1 ? ScaleFilter::kArea : ScaleFilter::kNearest; }

std::int32_t ItemOfFilter(ScaleFilter filter) { return filter == ScaleFilter::kArea ? 1 : 0; }

}  // namespace nuthumb
