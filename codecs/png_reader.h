#pragma once
// The PNG decoder (libpng): every kind of PNG to 24-bit B,G,R, or to 32-bit
// B,G,R,A when it has alpha or a transparent colour; 16-bit samples become 8
// by rounding. A file that is not interlaced is decoded a row at a time, and a
// thumbnail keeps only what it takes from each row.
#include <cstdint>
#include <span>

#include "codecs/codec.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// Whether a file starts with PNG's signature.
bool IsPng(std::span<const std::uint8_t> head);

// Decodes `source` and makes of it what the request plans for its size (the
// whole image, or a thumbnail). A file cut or damaged inside its image data
// gives the rows it holds, and the image's damage says so. Throws LoadError
// for a file refused in its headers or over the pixel limit, IoError when the
// source cannot be read, DecodeCancelled.
Decoded DecodePng(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
