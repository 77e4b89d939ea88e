#include "image/decode_plan.h"

#include "image/geometry.h"
#include "pixels/load_error.h"

namespace nuthumb {

PlanOf PlanOfConversion(const Conversion& conversion) {
    return [conversion](std::int32_t width, std::int32_t height) {
        const EffectiveBasis effective = EffectiveBasisOf(conversion.resize, conversion.basis, width, height);
        const bool to_srgb = conversion.photo.to_srgb;
        if (effective == EffectiveBasis::kCopy) return DecodePlan{true, width, height, false, to_srgb};
        const auto size = ScaledSize(width, height, conversion.size, effective);
        if (!size) throw LoadError("no sound thumbnail size");
        return DecodePlan{false, size->width, size->height, conversion.photo.filter == ScaleFilter::kArea, to_srgb};
    };
}

}  // namespace nuthumb
