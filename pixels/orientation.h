#pragma once
// Turning an image upright as its format or its EXIF Orientation says.
#include <cstdint>

#include "pixels/image.h"

namespace nuthumb {

// 1 upright; 2 mirrored left-right; 3 turned half round; 4 mirrored top-bottom;
// 5 mirrored along the main diagonal; 6 to be turned a quarter clockwise; 7
// mirrored along the other diagonal; 8 to be turned a quarter anticlockwise.
using Orientation = int;

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

}  // namespace nuthumb
