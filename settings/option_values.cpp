#include "settings/option_values.h"

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

Basis BasisOfItem(std::int32_t item) {
    switch (item) {
        case 0: return Basis::kHeight;
        case 1: return Basis::kWidth;
        case 2: return Basis::kLarger;
        default: return Basis::kNone;
    }
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
