#pragma once
// The load-and-scale half of a conversion: from a source's bytes to the image that
// is written. It depends on nothing but its arguments, so any thread may run it.
#include <cstdint>

#include "codecs/codec.h"
#include "image/conversion.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"
#include "platform/source_file.h"

namespace nuthumb {

// The most bytes a source may have: the pixel data of the largest 32-bit bitmap
// within the pixel limit, with room for headers and metadata. No sound BMP or
// JPEG needs more, nor a file of any other format of sound compression, so a
// larger file is refused before it is read.
inline constexpr std::uint64_t kMaxSourceBytes = kMaxPixels * 4 + (std::uint64_t{64} << 20);

// Decodes `source` as `source_format` and scales it as `conversion` says (its
// target format is not looked at), or leaves it whole when it does not resize,
// then turns it upright where its format or (asked for) its EXIF says so: the
// one place every format's turn is applied. A scaled source is scaled while it
// decodes: only the rows the thumbnail picks are kept. A source with alpha gives
// an image with alpha. Throws LoadError for a source or size without a sound
// result, IoError when the source cannot be read, DecodeCancelled when `options`
// asks to stop.
Decoded LoadThumbnail(const ByteSource& source, ImageFormat source_format, const Conversion& conversion,
                      const DecodeOptions& options);
// The same for an opened file; a format whose row is complex decodes in a
// helper process once the program has asked for that (ContainComplexDecoders),
// and then also throws DecoderStopped when the helper stops.
Decoded LoadThumbnail(const SourceFile& source, ImageFormat source_format, const Conversion& conversion,
                      const DecodeOptions& options);

}  // namespace nuthumb
