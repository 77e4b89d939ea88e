#pragma once
// The JPEG row of the codec table: what a conversion asks of a JPEG source.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Whether a file starts with a JPEG's start-of-image marker.
bool IsJpeg(std::span<const std::uint8_t> head);

class JpegDecoder;

// `plan`'s image of the file whose headers `decoder` has read, in its stored
// orientation, its colours converted where the decoder was asked to.
Image DecodeJpegPlan(JpegDecoder& decoder, const DecodePlan& plan);

// The picture as the request plans it, in its stored orientation, with the EXIF
// turn when asked for, and whether the file was progressive.
Decoded DecodeJpeg(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
