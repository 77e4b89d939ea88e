#pragma once
// The nearest-neighbour stretch that makes a thumbnail.
#include <cstdint>

#include "engine/image.h"

namespace nuthumb {

// A new 32-bit (B, G, R, 0) bottom-up image of width x height holding `source`
// stretched over its whole area. Destination pixel (dx, dy), counted from the top,
// takes source pixel ((2dx + 1) sw / 2dw, (2dy + 1) sh / 2dh). A 1-bit source
// shrunk along an axis ANDs the palette indices of the whole span of source
// pixels along it, so thin black lines on white survive.
// Throws LoadError for an empty source or target, or a target over the pixel
// limit: the caller treats a conversion without a sound result like a load
// failure.
Image StretchToThumbnail(const Image& source, std::int32_t width, std::int32_t height);

}  // namespace nuthumb
