#pragma once
// The HEIF decoder (libheif, with its HEVC and AV1 decoders): the primary image
// of a HEIC or AVIF file, turned, mirrored and cropped as the file says, to
// 24-bit B,G,R, or 32-bit B,G,R,A when it has an alpha plane; samples of more
// than 8 bits become 8.
#include "codecs/row_sink.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// Decodes `source` (`format`, "HEIC" or "AVIF", names the file in reasons) and
// makes of it what `plan_of` plans for its size. Throws LoadError for a damaged or cut
// file or one over the pixel limit, IoError when the source cannot be read,
// DecodeCancelled (checked before and after the library's decode, which cannot
// be stopped inside).
Image LoadHeif(const ByteSource& source, const char* format, const PlanOf& plan_of, const DecodeOptions& options);

}  // namespace nuthumb
