#include "codecs/codec.h"

#include <utility>
#include <vector>

namespace nuthumb {

namespace {

// `shown`, planned for the picture as shown, in the stored orientation: the
// sides (and the window) swapped back for a quarter turn, then the window
// mirrored along the axes the turn flips.
DecodePlan Stored(DecodePlan shown, const OrientationSteps& steps) {
    ScaleWindow& window = shown.window;
    if (steps.swap) {
        std::swap(shown.width, shown.height);
        std::swap(window.scaled_width, window.scaled_height);
        std::swap(window.x, window.y);
    }
    shown.flip_x = steps.flip_x;
    shown.flip_y = steps.flip_y;
    if (steps.flip_x && window.scaled_width > 0) window.x = window.scaled_width - window.x - shown.width;
    if (steps.flip_y && window.scaled_height > 0) window.y = window.scaled_height - window.y - shown.height;
    return shown;
}

}  // namespace

DecodePlan DecodeRequest::PlanFor(std::int32_t width, std::int32_t height, Orientation turn) const {
    const OrientationSteps steps = StepsOf(turn);
    return Stored(steps.swap ? plan(height, width) : plan(width, height), steps);
}

std::vector<DecodePlan> DecodeRequest::PlansFor(std::int32_t width, std::int32_t height, Orientation turn) const {
    const OrientationSteps steps = StepsOf(turn);
    std::vector<DecodePlan> plans;
    plans.reserve(1 + more_plans.size());
    plans.push_back(PlanFor(width, height, turn));
    for (const PlanOf& more : more_plans)
        plans.push_back(Stored(steps.swap ? more(height, width) : more(width, height), steps));
    return plans;
}

Decoded DecodedOf(std::vector<Image>&& images, Orientation turn) {
    Decoded decoded{std::move(images.front()), turn};
    decoded.more.assign(std::make_move_iterator(images.begin() + 1), std::make_move_iterator(images.end()));
    return decoded;
}

}  // namespace nuthumb
