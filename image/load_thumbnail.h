#pragma once
// The load-and-scale half of a conversion: from a source's bytes to the image that
// is written. It depends on nothing but its arguments, so any thread may run it.
#include <cstdint>

#include "image/conversion.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "image/jpeg_codec.h"
#include "platform/byte_source.h"

namespace nuthumb {

// The most bytes a source may have: the pixel data of the largest 32-bit bitmap
// within the pixel limit, with room for headers and metadata. No sound BMP or
// JPEG needs more, nor a PNG, WebP or HEIF file of sound compression, so a
// larger file is refused before it is read.
inline constexpr std::uint64_t kMaxSourceBytes = kMaxPixels * 4 + (std::uint64_t{64} << 20);

// Decodes `source` as `source_format` and scales it as `conversion` says (its
// target format is not looked at), or leaves it whole when it does not resize.
// A scaled source is scaled while it decodes: only the rows the thumbnail picks
// are kept. `codec` carries the JPEG source's progressive flag on to the encoder.
// A PNG, WebP or HEIF source with alpha gives an image with alpha.
// Throws LoadError for a source or size without a sound result, IoError when the
// source cannot be read, DecodeCancelled when `options` asks to stop.
Image LoadThumbnail(JpegCodec& codec, const ByteSource& source, ImageFormat source_format,
                    const Conversion& conversion, const DecodeOptions& options);

}  // namespace nuthumb
