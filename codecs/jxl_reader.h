#pragma once
// The JPEG XL decoder (libjxl): the first frame, as shown (animations
// coalesced), 24-bit B,G,R or 32-bit B,G,R,A when the file has alpha (colours
// unpremultiplied), gray as RGB. The file's orientation is part of its picture:
// the decode keeps the stored orientation and reports the turn, which is always
// applied.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Throws LoadError for a damaged or cut file or one over the pixel limit,
// IoError when the source cannot be read, DecodeCancelled (asked between the
// input chunks the library takes).
Decoded DecodeJxl(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
