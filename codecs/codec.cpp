#include "codecs/codec.h"

#include <utility>

namespace nuthumb {

DecodePlan DecodeRequest::PlanFor(std::int32_t width, std::int32_t height, Orientation turn) const {
    const OrientationSteps steps = StepsOf(turn);
    if (!steps.swap) {
        DecodePlan shown = plan(width, height);
        shown.flip_x = steps.flip_x;
        shown.flip_y = steps.flip_y;
        return shown;
    }
    DecodePlan stored = plan(height, width);
    std::swap(stored.width, stored.height);
    stored.flip_x = steps.flip_x;
    stored.flip_y = steps.flip_y;
    return stored;
}

}  // namespace nuthumb
