#pragma once
// Several thumbnails of one source (a gallery's sizes) from one decode.
#include <optional>
#include <span>
#include <vector>

#include "codecs/codec.h"
#include "image/conversion.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"
#include "platform/source_file.h"

namespace nuthumb {

struct LoadedThumbnails {
    // Upright, one for each conversion in its order; nothing where that
    // conversion has no sound result for the picture.
    std::vector<std::optional<Image>> images;
    bool progressive = false;  // a progressive JPEG source
};

// LoadThumbnail for each of `conversions`, which share the photo options that
// decode (turn, colours, filter) and all scale: the source is decoded once, at
// the scale the finest of them needs, and each thumbnail is made from that
// decode. Each is then exactly the one its conversion alone makes, but for a
// JPEG's area thumbnail that alone would be decoded at a coarser scale (the
// finer decode only sharpens it) and for formats whose decoder makes one
// thumbnail at a time (BMP, a WebP that libwebp scales), which read the source
// again for each. Conversions that share no decode (a copy, another filter)
// are loaded one by one. Throws what LoadThumbnail throws for the source.
LoadedThumbnails LoadThumbnails(const ByteSource& source, ImageFormat source_format,
                                std::span<const Conversion> conversions, const DecodeOptions& options);
// The same for a file, whose complex rows decode in helpers when the program
// contains them (ContainComplexDecoders), one conversion at a time.
LoadedThumbnails LoadThumbnails(const SourceFile& source, ImageFormat source_format,
                                std::span<const Conversion> conversions, const DecodeOptions& options);

}  // namespace nuthumb
