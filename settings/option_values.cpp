#include "settings/option_values.h"

namespace nuthumb {

ImageFormat ImageFormatOfItem(std::int32_t item) { return item == 0 ? ImageFormat::kBmp : ImageFormat::kJpeg; }

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
