#include "codecs/bmp_thumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pixels/box_filter.h"
#include "codecs/chunk_reader.h"
#include "pixels/nearest_map.h"
#include "pixels/pixel_format.h"
#include "codecs/bmp_rle.h"
#include "pixels/scaler.h"

namespace nuthumb {
namespace {

// Bytes of the pixel data that lie in the file, from `offset` into it; the rest of
// `out` is zero, as in a whole-image load of a cut file.
void ReadPixelBytes(const ByteSource& file, const BmpHeader& h, std::uint64_t offset, std::span<std::uint8_t> out) {
    const std::uint64_t at = h.pixel_offset + offset;
    const std::size_t got = at < file.size() ? file.ReadAt(at, out) : 0;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), 0);
}

// A short colour table lets a pixel name a colour that does not exist; the whole
// image would be refused for it, so every stored row is checked, a block at a time.
void CheckIndicesInFile(const ByteSource& file, const BmpHeader& h, const Image& format,
                        const DecodeOptions& options) {
    if (format.palette.size() >= (std::size_t{1} << format.bits_per_pixel)) return;
    const std::size_t stride = format.stride();
    const std::uint64_t stored = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(h.height), (file.size() - h.pixel_offset + stride - 1) / stride);
    const std::size_t rows_per_block = std::max<std::size_t>(1, (std::size_t{1} << 20) / stride);
    std::vector<std::uint8_t> block(rows_per_block * stride);
    for (std::uint64_t first = 0; first < stored; first += rows_per_block) {
        options.ThrowIfStopRequested();
        const auto rows = static_cast<std::size_t>(std::min<std::uint64_t>(rows_per_block, stored - first));
        ReadPixelBytes(file, h, first * stride, {block.data(), rows * stride});
        for (std::size_t r = 0; r < rows; ++r) {
            CheckRowIndices(block.data() + r * stride, format.width, format.bits_per_pixel, format.palette.size());
        }
    }
}

// Row y (from the top) of an uncompressed source, read into `row`.
void ReadStoredRow(const ByteSource& file, const BmpHeader& h, std::int32_t y, std::span<std::uint8_t> row) {
    const std::int64_t stored = h.top_down ? y : h.height - 1 - y;
    ReadPixelBytes(file, h, static_cast<std::uint64_t>(stored) * row.size(), row);
}

Image UncompressedThumbnail(const ByteSource& file, const BmpHeader& h, std::int32_t width, std::int32_t height,
                            const DecodeOptions& options, const ScaleWindow& window) {
    const Image format = ImageFormatOf(h);
    if (format.bits_per_pixel <= 8) CheckIndicesInFile(file, h, format, options);
    const std::size_t stride = format.stride();
    std::vector<std::uint8_t> row(stride);
    Image thumb = StretchRowsToThumbnail(
        format,
        [&](std::int32_t y) {
            options.ThrowIfStopRequested();
            ReadStoredRow(file, h, y, row);
            return row.data();
        },
        width, height, window);
    thumb.damage = UncompressedDamage(h, file.size());
    return thumb;
}

// Keeps the stored rows the thumbnail picks, one at a time, and samples each into
// every thumbnail row that picks it, exactly as the stretch of the whole image
// would.
class ThumbnailSink final : public RleRowSink {
public:
    ThumbnailSink(std::int32_t source_width, std::int32_t source_height, Image& thumb, const ScaleWindow& window)
        : thumb_(thumb),
          source_height_(source_height),
          columns_(NearestMap(source_width, ColumnsOf(window, thumb.width))),
          picks_(NearestMap(source_height, RowsOf(window, thumb.height))),
          row_(static_cast<std::size_t>(source_width) * 4) {}

    std::uint8_t* Row(std::int32_t y) override {
        Flush();
        const std::int32_t from_top = source_height_ - 1 - y;
        if (!picks_.Takes(from_top)) return nullptr;
        filling_ = from_top;
        std::memset(row_.data(), 0, row_.size());
        return row_.data();
    }

    // Thumbnail rows whose source row the stream never reached keep their zeros,
    // which is what sampling a zero row gives.
    void Finish() { Flush(); }

private:
    void Flush() {
        if (filling_ < 0) return;
        picks_.Fill(thumb_, filling_, [&](std::uint8_t* out) { SampleBgrColumns(row_.data(), 4, columns_, out); });
        filling_ = -1;
    }

    Image& thumb_;
    std::int32_t source_height_;
    std::vector<std::int32_t> columns_;
    NearestRows picks_;
    std::vector<std::uint8_t> row_;
    std::int32_t filling_ = -1;  // the source row (from the top) being filled, if any
};

// The stream expanded into `Sink`, which makes the thumbnail from the rows it is given.
template <class Sink>
Image RunLengthInto(const ByteSource& file, const BmpHeader& h, std::int32_t width, std::int32_t height,
                    const DecodeOptions& options, const ScaleWindow& window) {
    Image thumb = BlankThumbnail(width, height);
    Sink sink(h.width, h.height, thumb, window);
    ChunkReader stream(file, h.pixel_offset, RunLengthEnd(h, file.size()), options);
    thumb.damage = ExpandRunLength(stream, h.bits_per_pixel, h.palette, h.width, h.height, sink).damage;
    sink.Finish();
    return thumb;
}

Image UncompressedArea(const ByteSource& file, const BmpHeader& h, std::int32_t width, std::int32_t height,
                       const DecodeOptions& options, const ScaleWindow& window) {
    const Image format = ImageFormatOf(h);
    if (format.bits_per_pixel <= 8) CheckIndicesInFile(file, h, format, options);
    Image thumb = BlankThumbnail(width, height);
    BoxFilter filter(h.width, h.height, thumb, false, window);
    const BgrxRowExpander expander(format);
    std::vector<std::uint8_t> row(format.stride());
    std::vector<std::uint8_t> expanded(static_cast<std::size_t>(h.width) * 4);
    for (std::int32_t y = 0; y < h.height; ++y) {
        options.ThrowIfStopRequested();
        ReadStoredRow(file, h, y, row);
        expander.ExpandRow(row.data(), expanded.data());
        filter.AddRow(y, expanded.data(), 4);
    }
    filter.Finish();
    thumb.damage = UncompressedDamage(h, file.size());
    return thumb;
}

// Every stored row of the stream goes through the filter, bottom row first.
class AreaSink final : public RleRowSink {
public:
    AreaSink(std::int32_t source_width, std::int32_t source_height, Image& thumb, const ScaleWindow& window)
        : filter_(source_width, source_height, thumb, true, window), row_(static_cast<std::size_t>(source_width) * 4) {}

    std::uint8_t* Row(std::int32_t y) override {
        Flush();
        current_ = y;
        std::memset(row_.data(), 0, row_.size());
        return row_.data();
    }
    void Finish() {
        Flush();
        filter_.Finish();
    }

private:
    void Flush() {
        if (current_ >= 0) filter_.AddRow(current_, row_.data(), 4);
        current_ = -1;
    }

    BoxFilter filter_;
    std::vector<std::uint8_t> row_;
    std::int32_t current_ = -1;
};

}  // namespace

Image DecodeBitmapArea(const ByteSource& file, const BmpHeader& header, std::int32_t width, std::int32_t height,
                       const DecodeOptions& options, const ScaleWindow& window) {
    if (header.compression == kCompressionRle8 || header.compression == kCompressionRle4) {
        return RunLengthInto<AreaSink>(file, header, width, height, options, window);
    }
    return UncompressedArea(file, header, width, height, options, window);
}

Image DecodeBitmapThumbnail(const ByteSource& file, const BmpHeader& header, std::int32_t width,
                            std::int32_t height, const DecodeOptions& options, const ScaleWindow& window) {
    if (header.compression == kCompressionRle8 || header.compression == kCompressionRle4) {
        return RunLengthInto<ThumbnailSink>(file, header, width, height, options, window);
    }
    return UncompressedThumbnail(file, header, width, height, options, window);
}

}  // namespace nuthumb
