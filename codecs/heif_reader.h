#pragma once
// The HEIF decoder (libheif, with its HEVC and AV1 decoders): the primary image
// of a HEIC or AVIF file, turned, mirrored and cropped as the file says, to
// 24-bit B,G,R, or 32-bit B,G,R,A when it has an alpha plane; samples of more
// than 8 bits become 8.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Decodes `source` (`name`, "HEIC" or "AVIF", names the file in reasons) and
// makes of it what the request plans for its size. Throws LoadError for a
// damaged or cut file or one over the pixel limit, IoError when the source
// cannot be read, DecodeCancelled (checked before and after the library's
// decode, which cannot be stopped inside).
Decoded DecodeHeif(const ByteSource& source, const char* name, const DecodeRequest& request,
                   const DecodeOptions& options);

}  // namespace nuthumb
