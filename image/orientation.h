#pragma once
// Turning an image as its EXIF Orientation says, and the picks of a nearest-
// neighbour thumbnail taken straight from the stored image.
#include <cstdint>
#include <vector>

#include "image/exif_orientation.h"
#include "pixels/image.h"

namespace nuthumb {

// Each orientation as steps from a pixel (x', y') of the image as shown to the
// stored pixel (x, y): (u, v) = swap ? (y', x') : (x', y'), then x = flip_x ?
// W - 1 - u : u and y = flip_y ? H - 1 - v : v.
struct OrientationSteps {
    bool swap = false, flip_x = false, flip_y = false;
};
OrientationSteps StepsOf(Orientation orientation);

// The image as shown: its sides swapped for orientations 5 to 8. Works on 8, 24
// and 32 bits per pixel (the palette is kept); the result is stored bottom-up.
// Throws LoadError for other depths.
Image OrientImage(const Image& image, Orientation orientation);

// For each of `target` indices along a stored axis of `source` pixels: the
// nearest-neighbour pick, or when `flipped` the pick seen from the other end
// (source - 1 - pick of target - 1 - i). Rising either way, so a decoder can take
// the rows in file order; a thumbnail sampled with these picks and then turned by
// OrientImage is the nearest-neighbour thumbnail of the image as shown.
std::vector<std::int32_t> PickMap(std::int32_t source, std::int32_t target, bool flipped);

}  // namespace nuthumb
