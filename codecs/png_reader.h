#pragma once
// The PNG decoder (libpng): every kind of PNG to 24-bit B,G,R, or to 32-bit
// B,G,R,A when it has alpha or a transparent colour; 16-bit samples become 8
// by rounding. A file that is not interlaced is decoded a row at a time, and a
// thumbnail keeps only what it takes from each row.
#include "codecs/row_sink.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// Decodes `source` and makes of it what `plan_of` plans for its size (the
// whole image, or a thumbnail). A file cut or damaged inside its image data
// gives the rows it holds, and the image's damage says so. Throws LoadError
// for a file refused in its headers or over the pixel limit, IoError when the
// source cannot be read, DecodeCancelled.
Image LoadPng(const ByteSource& source, const PlanOf& plan_of, const DecodeOptions& options);

}  // namespace nuthumb
