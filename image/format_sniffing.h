#pragma once
// Which format a file's bytes are, whatever its name says: phones and chat
// programs save HEIC photos as .jpg, and a renamed file must not fail as damaged.
#include <cstdint>
#include <optional>
#include <span>

#include "image/conversion.h"
#include "platform/byte_source.h"

namespace nuthumb {

// How many leading bytes SniffFormat looks at (an ISO-BMFF file type box lists
// its compatible brands there).
inline constexpr std::size_t kSniffBytes = 64;

// The format whose signature `head` (a file's first bytes) starts with: PNG's
// signature, RIFF....WEBP, an ISO-BMFF ftyp box naming an AVIF or HEIF brand,
// JPEG's SOI marker, BMP's "BM". Nothing when none matches.
std::optional<ImageFormat> SniffFormat(std::span<const std::uint8_t> head);

// The format `source` is decoded as: what its bytes say, else `listed` (the
// format its extension names), so that a damaged file still fails with the
// reason of the format it claims to be. A BMP or JPEG listed as the other of
// the two stays as listed.
ImageFormat DecodedFormatOf(const ByteSource& source, ImageFormat listed);

}  // namespace nuthumb
