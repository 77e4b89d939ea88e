#include "settings/option_values.h"

#include <optional>

#include "codecs/codec_table.h"

namespace nuthumb {

namespace keys {

std::int32_t SourceFormatItem(std::int32_t v) {
    if (v < 0) return -1;
    return v == kEveryFormatItem || FormatOfItem(v) ? v : kJpegItem;
}

std::int32_t TargetFormatItem(std::int32_t v) {
    if (v < 0) return -1;
    const std::optional<ImageFormat> format = FormatOfItem(v);
    return format && CodecOf(*format).writable() ? v : kJpegItem;
}

}  // namespace keys

SourceChoice SourceOfItem(std::int32_t item) {
    if (item == kEveryFormatItem) return kEveryReadableFormat;
    return FormatOfItem(item).value_or(ImageFormat::kJpeg);
}

ImageFormat TargetFormatOfItem(std::int32_t item) {
    return FormatOfItem(keys::TargetFormatItem(item)).value_or(ImageFormat::kJpeg);
}

std::int32_t ItemOfSource(SourceChoice choice) { return choice ? ItemOf(*choice) : kEveryFormatItem; }

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

PreviewUse PreviewsOfItem(std::int32_t item) { return item == 1 ? PreviewUse::kNever : PreviewUse::kAuto; }

std::int32_t ItemOfPreviews(PreviewUse previews) { return previews == PreviewUse::kNever ? 1 : 0; }

}  // namespace nuthumb
