#pragma once
// The WebP decoder (libwebp): lossy, lossless, with alpha, and the first frame
// of an animation. Without alpha the image is 24-bit B,G,R, with it 32-bit
// B,G,R,A. The area filter is libwebp's own scaling, straight to the
// thumbnail's size; the nearest thumbnail picks from the full decode.
#include "codecs/row_sink.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// Decodes `source` and makes of it what `plan_of` plans for its size. Throws LoadError for
// a damaged or cut file, or one over the pixel limit, IoError when the source
// cannot be read, DecodeCancelled.
Image LoadWebp(const ByteSource& source, const PlanOf& plan_of, const DecodeOptions& options);

}  // namespace nuthumb
