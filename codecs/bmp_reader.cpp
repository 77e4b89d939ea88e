// What the reader refuses (LoadError) and what it tolerates:
//
// Fatal: no "BM" signature; a file ending inside its file header, info header,
// colour masks or colour table; an info header size other than 12 or at least 40;
// planes != 1; a bit count other than 1, 4, 8, 16, 24, 32; a compression that does
// not fit the bit count (RLE8 needs 8, RLE4 needs 4, bit fields 16 or 32; 4, 5 and
// others are unsupported); colour masks wider than the pixel or with gaps; width
// <= 0, height 0, more pixels than the limit; a run-length image stored top-down;
// a palette index beyond the colour table; a run-length run past its row, a delta
// past the image, a stream longer than its image can use.
//
// Tolerated, with the image's damage set to kTruncated: pixel data cut short
// (missing rows and the rest of a cut row are 0); a run-length stream that ends
// before the image without its end-of-bitmap mark, or inside a run (the rest
// stays 0). Tolerated silently: whatever follows the run-length data of a
// complete image; a pixel-data offset that points into the headers or past the end
// (the data is then taken right after the colour table); a colour table longer
// than the bit count can index (the extra entries are skipped); a wrong file size
// or image size field (neither is needed to decode).
#include "codecs/bmp_reader.h"

#include <algorithm>

#include "codecs/bmp_rle.h"

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

// What may follow the run-length data and still be copied: an embedded colour
// profile fits, a file padded to gigabytes does not.
constexpr std::uint64_t kKeptTrailingBytes = 64 * 1024;
// Where the stream may stop past MaxRunLengthBytes: inside its last code.
constexpr std::uint64_t kLastCodeBytes = 2 + 255 + 1 + 2;
constexpr std::size_t kFileSizeOffset = 2;
constexpr std::size_t kImageSizeOffset = 34;

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> KeptFileBytes(const ByteSource& file, const BmpHeader& h, std::uint64_t data_end) {
    const bool whole = file.size() - data_end <= kKeptTrailingBytes;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(whole ? file.size() : data_end));
    bytes.resize(file.ReadAt(0, bytes));
    // A run-length file has an info header, so both fields lie in what is kept.
    if (!whole && bytes.size() >= kImageSizeOffset + 4) {
        PutLe32(bytes, kFileSizeOffset, bytes.size());
        if (h.image_size != 0) PutLe32(bytes, kImageSizeOffset, data_end - h.pixel_offset);
    }
    return bytes;
}

Image LoadRunLength(const ByteSource& file, const BmpHeader& h, const DecodeOptions& options) {
    Image image;
    image.width = h.width;
    image.height = h.height;
    image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * static_cast<std::size_t>(image.height), 0);
    ChunkReader stream(file, h.pixel_offset, RunLengthEnd(h, file.size()), options);
    const RunLengthStop stop = ExpandRunLengthPixels(stream, h.bits_per_pixel, h.palette, image);
    image.damage = stop.damage;
    image.file_bytes = KeptFileBytes(file, h, stop.end);
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
    image.damage = UncompressedDamage(h, file.size());
    if (image.bits_per_pixel <= 8) CheckPaletteIndices(image);
    return image;
}

}  // namespace

std::uint64_t MaxKeptFileBytes(const BmpHeader& header, std::uint64_t file_size) {
    const std::uint64_t data = MaxRunLengthBytes(header.width, header.height) + kLastCodeBytes;
    return std::min(file_size, header.pixel_offset + data + kKeptTrailingBytes);
}

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
