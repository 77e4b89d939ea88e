#pragma once
// The BMP decoder: every header field is checked against what the file holds
// before it is used.
#include <cstdint>
#include <span>

#include "codecs/bmp_header.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// Decodes a whole BMP file image. A zero-byte file is an empty 0 x 0 image.
// Throws LoadError for anything it cannot decode soundly. `max_pixels` lets a
// caller with tighter memory (the fuzz target) lower the limit.
Image LoadBitmap(std::span<const std::uint8_t> file, std::uint64_t max_pixels = kMaxPixels);

// The whole image of a non-empty file whose header has been read from it. Reads
// only the pixel data the header describes. A run-length image also keeps the
// file's bytes, which an unscaled copy writes back: up to the end of its data,
// and what follows only when that is short (a colour profile); a copy that drops
// the rest has its size fields set to match. Throws LoadError or DecodeCancelled.
Image LoadBitmap(const ByteSource& file, const BmpHeader& header, const DecodeOptions& options = {});

// The most file bytes LoadBitmap keeps for a run-length image of `header`.
std::uint64_t MaxKeptFileBytes(const BmpHeader& header, std::uint64_t file_size);

}  // namespace nuthumb
