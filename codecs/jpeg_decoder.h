#pragma once
// One JPEG decode (libjpeg-turbo), from the headers to the image in one of
// three forms: whole, the nearest picks, or the area filter of a scaled decode.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "pixels/srgb_conversion.h"
#include "pixels/thumbnail_plan.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "pixels/orientation.h"
#include "platform/byte_source.h"

namespace nuthumb {

struct JpegDecodeState;

class JpegDecoder {
public:
    // Starts decoding `source`, which must outlive the decoder, and reads its
    // headers up to the first scan. The file is read a chunk at a time as the
    // decode goes, never whole. `options` may stop the decode from then on. With
    // `read_orientation` the EXIF Orientation is read too, with `read_profile`
    // the ICC profile (APP2), whose conversion into sRGB then applies to every
    // decode below (before the area filter averages). Throws LoadError for a
    // file the library rejects or one over the pixel limit, IoError when the
    // source cannot be read, and DecodeCancelled; so do the decodes below, and
    // they refuse a file of more than 100 scans. Each decoder decodes once.
    explicit JpegDecoder(const ByteSource& source, DecodeOptions options = {}, bool read_orientation = false,
                         bool read_profile = false);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    std::int32_t width() const;
    std::int32_t height() const;
    // Whether the file has more than one scan.
    bool progressive() const { return progressive_; }
    // The EXIF Orientation when it was asked for, else 1.
    Orientation orientation() const { return orientation_; }
    // The conversion of the file's RGB ICC profile into sRGB when it was asked
    // for and the file has one.
    const std::optional<SrgbConversion>& colour() const { return colour_; }

    // About how many bytes the rest of the conversion holds at its peak, from
    // the headers alone: a file of more than one scan keeps every coefficient of
    // the image until its last scan; a thumbnail keeps a few rows besides; a
    // whole image (`whole_image`) is held decoded and once more encoded, with the
    // encoder's coefficients when the target is progressive.
    std::uint64_t WorkingMemory(bool whole_image) const;

    // The whole image, 24-bit B,G,R, or for a one-component source 8-bit with
    // 236 gray levels (Floyd-Steinberg dithered) as its colour table. CMYK and
    // YCCK sources become 24-bit with Adobe's inverted convention. A file whose
    // end is missing decodes as far as its data goes, and the image's damage says
    // so (as it does for corrupt data stepped over, in every decode below). The
    // colour conversion is not applied.
    Image DecodeImage();

    // The nearest-neighbour thumbnail whose pixel (x, y) takes source pixel
    // (columns[x], rows[y]), 32-bit B,G,R,0 bottom-up; `rows` must be rising.
    // Only the picked pixels are kept, so the full-size image is never held, and
    // rows that nothing picks are skipped where that cannot change the kept ones
    // (not for dithered gray output). The colour conversion is not applied.
    Image DecodeSampled(const std::vector<std::int32_t>& columns, const std::vector<std::int32_t>& rows);

    // The area filter (BoxFilter) onto width x height, 32-bit B,G,R,0 bottom-up,
    // of the image decoded at the smallest of the scales tried that leaves the
    // filter enough to average (jpeg_scale_choice.h), its colours converted
    // first; with a `window`, that window of the picture scaled. Gray is decoded
    // undithered, all 256 levels.
    Image DecodeArea(std::int32_t width, std::int32_t height, const ScaleWindow& window = {});
    // The same for several thumbnails of one decode, at the scale the one that
    // needs the finest asks for: each is exactly DecodeArea's for itself when
    // alone it would be decoded at that scale; one that alone would be decoded
    // coarser is filtered from the block means of this decode at that coarser
    // size, close to its own decode and cheaper than the full rows.
    std::vector<Image> DecodeAreas(std::span<const DecodePlan> plans);

private:
    std::unique_ptr<JpegDecodeState> state_;
    bool progressive_ = false;
    Orientation orientation_ = 1;
    std::optional<SrgbConversion> colour_;
};

}  // namespace nuthumb
