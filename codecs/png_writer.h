#pragma once
// Writing PNG files (libpng): 8-bit RGB, or RGBA for an image with alpha.
#include <cstdint>
#include <vector>

#include "pixels/image.h"

namespace nuthumb {

// The whole PNG file of `image`, any format the loaders make. Throws
// EncodeError for an empty image or when the library fails.
std::vector<std::uint8_t> EncodePng(const Image& image);

}  // namespace nuthumb
