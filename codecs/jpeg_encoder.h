#pragma once
// Writing JPEG files (libjpeg-turbo).
#include <cstdint>
#include <vector>

#include "pixels/image.h"

namespace nuthumb {

// JFIF 1.01 (density 1 x 1, no unit), `quality` (1..100, jpeg_set_quality's
// tables, baseline), 4:2:0, float DCT, progressive when asked. Alpha is
// ignored: the caller lays the picture over a background first. Throws
// EncodeError for an empty image or when the library fails (in practice:
// memory ran out), with the library's message.
std::vector<std::uint8_t> EncodeJpeg(const Image& image, int quality = 90, bool progressive = false);

}  // namespace nuthumb
