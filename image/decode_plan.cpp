#include "image/decode_plan.h"

#include "image/geometry.h"
#include "pixels/load_error.h"

namespace nuthumb {

DecodePlan PlanOfConversion(const Conversion& conversion, std::int32_t width, std::int32_t height) {
    const bool area = conversion.photo.filter == ScaleFilter::kArea;
    if (conversion.resize && conversion.box != BoxFit::kNone) {
        const auto boxed = BoxedSize(width, height, conversion.box, conversion.box_width, conversion.box_height,
                                     conversion.enlarge);
        if (!boxed || static_cast<std::uint64_t>(boxed->size.width) * static_cast<std::uint64_t>(boxed->size.height) >
                          kMaxPixels)
            throw LoadError("no sound thumbnail size");
        DecodePlan plan{false, boxed->size.width, boxed->size.height, area};
        plan.window = boxed->window;
        return plan;
    }
    const EffectiveBasis effective = EffectiveBasisOf(conversion.resize, conversion.basis, width, height);
    if (effective == EffectiveBasis::kCopy) return DecodePlan{true, width, height};
    const auto size = ScaledSize(width, height, conversion.size, effective);
    if (!size) throw LoadError("no sound thumbnail size");
    return DecodePlan{false, size->width, size->height, area};
}

DecodeRequest RequestOfConversion(const Conversion& conversion) {
    DecodeRequest request;
    request.plan = [conversion](std::int32_t width, std::int32_t height) {
        return PlanOfConversion(conversion, width, height);
    };
    request.auto_orient = conversion.photo.auto_orient;
    request.to_srgb = conversion.photo.to_srgb;
    request.previews = conversion.photo.previews == PreviewUse::kAuto;
    return request;
}

}  // namespace nuthumb
