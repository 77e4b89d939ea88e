#pragma once
// The JPEG codec object of one conversion. One object serves both ends: what
// loading a source sets (the progressive flag) is still set when the thumbnail is
// encoded, so a progressive source gives a progressive target.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "codecs/srgb_conversion.h"
#include "image/conversion.h"
#include "pixels/decode_options.h"
#include "image/exif_orientation.h"
#include "pixels/image.h"
#include "platform/byte_source.h"

namespace nuthumb {

// The encoder refused the image (in practice: memory ran out). Carries the
// library's message.
class JpegEncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class JpegCodec {
public:
    JpegCodec();
    ~JpegCodec();
    JpegCodec(const JpegCodec&) = delete;
    JpegCodec& operator=(const JpegCodec&) = delete;

    // Starts decoding `source`, which must outlive the decode (until ReleaseSource
    // or the next ReadHeader), and reads its headers up to the first scan; the
    // progressive flag becomes whether the file has more than one scan. The file is
    // read a chunk at a time as the decode goes, never whole. `options` may stop
    // the decode from then on. Throws LoadError for a file the library rejects or
    // one over the pixel limit, IoError when the source cannot be read, and
    // DecodeCancelled; so do the decodes below, and they refuse a file of more
    // than 100 scans. With `read_orientation` the EXIF Orientation is read too,
    // with `read_profile` the ICC profile (APP2), whose conversion into sRGB
    // then applies to every decode below (before the area filter averages).
    void ReadHeader(const ByteSource& source, DecodeOptions options = {}, bool read_orientation = false,
                    bool read_profile = false);
    // The same over a file's bytes, which the codec keeps until ReleaseSource.
    void ReadHeader(std::vector<std::uint8_t> file);
    std::int32_t width() const;
    std::int32_t height() const;
    // The EXIF Orientation when ReadHeader was asked for it, else 1.
    Orientation orientation() const { return orientation_; }
    // The conversion of the file's RGB ICC profile into sRGB when ReadHeader was
    // asked for it and the file has one.
    const std::optional<SrgbConversion>& colour() const { return colour_; }

    // After ReadHeader: the whole image, 24-bit B,G,R, or for a one-component source
    // 8-bit with 236 gray levels (Floyd-Steinberg dithered) as its colour table.
    // CMYK and YCCK sources become 24-bit with Adobe's inverted convention. A file
    // whose end is missing decodes as far as its data goes, and the image's damage
    // says so (as it does for corrupt data stepped over, in every decode below).
    // Throws LoadError.
    Image DecodeImage();

    // After ReadHeader: the nearest-neighbour stretch of the image onto
    // width x height, 32-bit B,G,R,0 bottom-up, exactly as the scaler would make it
    // from DecodeImage(). Only the picked pixels are kept, so the full-size image is
    // never held, and rows that nothing picks are skipped where that cannot change
    // the kept ones (not for dithered gray output). Throws LoadError.
    Image DecodeThumbnail(std::int32_t width, std::int32_t height);
    // The same with the picks given: thumbnail pixel (x, y) takes source pixel
    // (columns[x], rows[y]); `rows` must be rising.
    Image DecodeSampled(const std::vector<std::int32_t>& columns, const std::vector<std::int32_t>& rows);

    // After ReadHeader: the area filter (BoxFilter) onto width x height, 32-bit
    // B,G,R,0 bottom-up, of the image decoded at the smallest of the library's
    // scales 1/8 .. 8/8 whose output still has at least width x height pixels.
    // Gray is decoded undithered, all 256 levels. Throws LoadError.
    Image DecodeArea(std::int32_t width, std::int32_t height);

    bool progressive() const { return progressive_; }

    // After ReadHeader: about how many bytes the rest of the conversion holds at
    // its peak, from the headers alone: a file of more than one scan keeps every
    // coefficient of the image until its last scan; a thumbnail keeps a few rows
    // besides; a whole image (`whole_image`) is held decoded and once more
    // encoded, with the encoder's coefficients when the target is progressive.
    std::uint64_t WorkingMemory(bool whole_image) const;

    // Releases the source's bytes and the decoder (the encoder never needs them).
    void ReleaseSource();

    // JFIF 1.01 (density 1 x 1, no unit), `quality` (1..100, jpeg_set_quality's
    // tables, baseline), 4:2:0, float DCT, progressive when the flag is set.
    // `image` must not be empty. Throws JpegEncodeError.
    std::vector<std::uint8_t> Encode(const Image& image, int quality = kDefaultJpegQuality);

    struct Decoder;  // the decoder's state; public only for the codec's own helpers

private:
    void Start(std::unique_ptr<Decoder> decoder, const ByteSource& source, DecodeOptions options,
               bool read_orientation, bool read_profile);

    std::unique_ptr<Decoder> decoder_;
    bool progressive_ = false;
    Orientation orientation_ = 1;
    std::optional<SrgbConversion> colour_;
};

}  // namespace nuthumb
