#pragma once
// The camera RAW decoder (LibRaw): DNG, CR2, CR3, NEF, ARW, RAF, ORF, RW2.
// A thumbnail comes from the largest preview the camera embedded, when that is
// a JPEG, a scaled copy of the picture and at least the thumbnail's size (and
// previews are allowed); otherwise, and for an unscaled copy, from LibRaw's
// develop in sRGB with the camera's white balance: half size (each 2 x 2 block
// of the sensor's colour mosaic one pixel) where that still covers the
// thumbnail, else full size. Both keep the stored orientation and report the
// camera's turn, which is always applied.
#include <cstdint>
#include <span>

#include "codecs/codec.h"

namespace nuthumb {

// Throws LoadError for a damaged, cut or unknown file or one over the pixel
// limit, IoError when the source cannot be read, DecodeCancelled (asked as the
// library reads the file, a chunk at a time, and between its stages).
Decoded DecodeRaw(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

}  // namespace nuthumb
