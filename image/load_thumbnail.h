#pragma once
// The load-and-scale half of a conversion: from a source's bytes to the image that
// is written. It depends on nothing but its arguments, so any thread may run it.
#include <cstdint>

#include "image/decode_options.h"
#include "image/image.h"
#include "image/jpeg_codec.h"
#include "platform/byte_source.h"

namespace nuthumb {

// The most bytes a source may have: the pixel data of the largest 32-bit bitmap
// within the pixel limit, with room for headers and metadata. No sound image of
// either format needs more, so a larger file is refused before it is read.
inline constexpr std::uint64_t kMaxSourceBytes = kMaxPixels * 4 + (std::uint64_t{64} << 20);

// Decodes `source` as JPEG (`jpeg`) or BMP and scales it by `basis` (0 height,
// 1 width, 2 larger side) to `size`, or leaves it whole when `resize_flag` is 0.
// A scaled source is scaled while it decodes: only the rows the thumbnail picks
// are kept. `codec` carries the JPEG source's progressive flag on to the encoder.
// Throws LoadError for a source or size without a sound result, IoError when the
// source cannot be read, DecodeCancelled when `options` asks to stop.
Image LoadThumbnail(JpegCodec& codec, const ByteSource& source, bool jpeg, std::int32_t size, std::int32_t basis,
                    std::uint8_t resize_flag, const DecodeOptions& options);

}  // namespace nuthumb
