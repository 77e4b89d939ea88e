#pragma once
// The WebP decoder (libwebp): lossy, lossless, with alpha, and the first frame
// of an animation. Without alpha the image is 24-bit B,G,R, with it 32-bit
// B,G,R,A. The area filter is libwebp's own scaling, straight to the
// thumbnail's size; the nearest thumbnail picks from the full decode.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Whether a file starts with a RIFF header of WebP data.
bool IsWebp(std::span<const std::uint8_t> head);

// Decodes `source` and makes of it what the request plans for its size. Throws
// LoadError for a damaged or cut file, or one over the pixel limit, IoError when
// the source cannot be read, DecodeCancelled.
Decoded DecodeWebp(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
