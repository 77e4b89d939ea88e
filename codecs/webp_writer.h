#pragma once
// Writing WebP files (libwebp): lossy at the photo quality, alpha kept.
#include <cstdint>
#include <vector>

#include "pixels/image.h"

namespace nuthumb {

// The whole WebP file of `image`, any format the loaders make, at `quality`
// (1..100). Throws EncodeError for an empty image, one wider or taller than
// WebP allows (16383), or when the library fails.
std::vector<std::uint8_t> EncodeWebp(const Image& image, int quality);

}  // namespace nuthumb
