// What the reader refuses (LoadError) and what it tolerates:
//
// Fatal: no "BM" signature; a file ending inside its file header, info header,
// colour masks or colour table; an info header size other than 12 or at least 40;
// planes != 1; a bit count other than 1, 4, 8, 16, 24, 32; a compression that does
// not fit the bit count (RLE8 needs 8, RLE4 needs 4, bit fields 16 or 32; 4, 5 and
// others are unsupported); colour masks wider than the pixel or with gaps; width
// <= 0, height 0, more pixels than the limit; a run-length image stored top-down;
// a palette index beyond the colour table; a run-length run past its row or past
// the last row, a delta past the image.
//
// Tolerated: pixel data cut short (missing rows and the rest of a cut row are 0);
// a run-length stream without its end-of-bitmap mark, or cut inside a run (the
// rest stays 0); a pixel-data offset that points into the headers or past the end
// (the data is then taken right after the colour table); a colour table longer
// than the bit count can index (the extra entries are skipped); a wrong file size
// or image size field (neither is needed to decode).
#include "image/bmp_reader.h"

#include <algorithm>
#include <string>

#include "image/load_error.h"
#include "image/rle_decoder.h"

namespace nuthumb {
namespace {

// Checked now so that every later stage may use an index without a bounds test.
void CheckPaletteIndices(const Image& image) {
    if (image.palette.size() >= (std::size_t{1} << image.bits_per_pixel)) return;  // every index fits
    for (std::int32_t y = 0; y < image.height; ++y) {
        CheckRowIndices(image.pixels.data() + static_cast<std::size_t>(y) * image.stride(), image.width,
                        image.bits_per_pixel, image.palette.size());
    }
}

Image LoadRunLength(const ByteSource& file, const BmpHeader& h, const DecodeOptions& options) {
    Image image;
    image.width = h.width;
    image.height = h.height;
    image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * static_cast<std::size_t>(image.height), 0);
    ChunkReader stream(file, h.pixel_offset, RunLengthEnd(h, file.size()), options);
    ExpandRunLengthPixels(stream, h.bits_per_pixel, h.palette, image);
    image.file_bytes.resize(static_cast<std::size_t>(file.size()));
    image.file_bytes.resize(file.ReadAt(0, image.file_bytes));
    return image;
}

Image LoadUncompressed(const ByteSource& file, const BmpHeader& h) {
    Image image = ImageFormatOf(h);
    // The size comes from the geometry, not from the header's image size field,
    // which writers often leave 0 or get wrong.
    const std::size_t size = image.stride() * static_cast<std::size_t>(image.height);
    image.pixels.assign(size, 0);
    const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(size, file.size() - h.pixel_offset));
    file.ReadAt(h.pixel_offset, {image.pixels.data(), available});  // a short read leaves zeros
    if (image.bits_per_pixel <= 8) CheckPaletteIndices(image);
    return image;
}

}  // namespace

Image LoadBitmap(std::span<const std::uint8_t> file, std::uint64_t max_pixels) {
    if (file.empty()) return Image{};
    const MemoryBytes bytes(file);
    return LoadBitmap(bytes, ReadBmpHeader(bytes, max_pixels));
}

Image LoadBitmap(const ByteSource& file, const BmpHeader& header, const DecodeOptions& options) {
    if (header.compression == kCompressionRle8 || header.compression == kCompressionRle4) {
        return LoadRunLength(file, header, options);
    }
    return LoadUncompressed(file, header);
}

}  // namespace nuthumb
