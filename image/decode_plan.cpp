#include "image/decode_plan.h"

#include "image/geometry.h"
#include "pixels/load_error.h"

namespace nuthumb {

DecodeRequest RequestOfConversion(const Conversion& conversion) {
    DecodeRequest request;
    request.plan = [conversion](std::int32_t width, std::int32_t height) {
        const EffectiveBasis effective = EffectiveBasisOf(conversion.resize, conversion.basis, width, height);
        if (effective == EffectiveBasis::kCopy) return DecodePlan{true, width, height};
        const auto size = ScaledSize(width, height, conversion.size, effective);
        if (!size) throw LoadError("no sound thumbnail size");
        return DecodePlan{false, size->width, size->height, conversion.photo.filter == ScaleFilter::kArea};
    };
    request.auto_orient = conversion.photo.auto_orient;
    request.to_srgb = conversion.photo.to_srgb;
    request.previews = conversion.photo.previews == PreviewUse::kAuto;
    return request;
}

}  // namespace nuthumb
