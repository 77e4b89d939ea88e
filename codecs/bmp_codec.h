#pragma once
// The BMP row of the codec table: what a conversion asks of a BMP source.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Whether a file starts with "BM".
bool IsBmp(std::span<const std::uint8_t> head);

// A scaled source is scaled while it is read: only the rows the thumbnail picks
// are read and expanded (every row, one at a time, for the area filter). An
// unscaled copy keeps the file's own form (bit depth, palette, run-length bytes),
// which a BMP target writes back. A zero-byte file is an empty image, which has
// no form to write.
Decoded DecodeBmp(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
