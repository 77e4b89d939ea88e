#pragma once
// Transparency on its way to a target that has none.
#include "pixels/image.h"

namespace nuthumb {

// Lays an image with alpha over white, in place: each channel becomes
// (c * a + 255 * (255 - a)) / 255, rounded, and the fourth byte 0, as in every
// thumbnail without alpha. An image without alpha is left as it is.
void FlattenOverWhite(Image& image);

}  // namespace nuthumb
