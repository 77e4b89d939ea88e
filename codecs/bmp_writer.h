#pragma once
// Writing BMP files: 40-byte info header, 2834 pixels per metre in both resolution
// fields.
#include <cstdint>
#include <vector>

#include "pixels/image.h"

namespace nuthumb {

// The complete BMP file image of `image` (its own bytes for a run-length-compressed
// source copied unscaled), with the resolution fields at offsets 38 and 42 set to
// 2834. Callers handle empty images first: they have no BMP form.
std::vector<std::uint8_t> ComposeBitmapFile(const Image& image);
// The same, taking a run-length source's bytes over instead of copying them.
std::vector<std::uint8_t> ComposeBitmapFile(Image&& image);

}  // namespace nuthumb
