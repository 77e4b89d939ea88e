#pragma once
// What one decode makes of its source.
#include <cstdint>

#include "pixels/scale_window.h"

namespace nuthumb {

// In the source's stored orientation: the whole image, or a thumbnail of width
// x height by the area filter or the nearest picks. The picks along a flipped
// axis are seen from its other end, so that the thumbnail, once turned upright,
// is the nearest-neighbour thumbnail of the picture as shown. A crop is the
// window of the picture scaled (in the stored orientation like the rest).
struct DecodePlan {
    bool whole = false;
    std::int32_t width = 0, height = 0;
    bool area = false;
    bool flip_x = false, flip_y = false;
    ScaleWindow window{};
};

}  // namespace nuthumb
