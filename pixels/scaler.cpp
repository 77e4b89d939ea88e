#include "pixels/scaler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "pixels/load_error.h"
#include "pixels/nearest_map.h"
#include "pixels/pixel_format.h"

namespace nuthumb {
namespace {

// Span boundaries along one axis being shrunk: destination pixel d of the window
// covers source pixels [bounds[d], bounds[d + 1]), never empty since source >
// scaled.
std::vector<std::int32_t> SpanBounds(std::int32_t source, AxisWindow axis) {
    std::vector<std::int32_t> bounds(static_cast<std::size_t>(axis.count) + 1);
    for (std::int64_t d = 0; d <= axis.count; ++d) {
        bounds[static_cast<std::size_t>(d)] = static_cast<std::int32_t>(((axis.offset + d) * source) / axis.scaled);
    }
    return bounds;
}

void PutColor(std::uint8_t* out, const PaletteEntry& c) {
    out[0] = c.blue;
    out[1] = c.green;
    out[2] = c.red;
    out[3] = 0;
}

void StretchNearest(const Image& source, const SourceRows& source_row, Image& target, const ScaleWindow& window) {
    const auto columns = NearestMap(source.width, ColumnsOf(window, target.width));
    const NearestRows rows(NearestMap(source.height, RowsOf(window, target.height)));
    const bool direct = source.bits_per_pixel == 24 || (source.bits_per_pixel == 32 && source.compression != 3);
    const std::size_t direct_bytes = source.bits_per_pixel / 8u;
    BgrxRowExpander expander(source);
    std::vector<std::uint8_t> expanded(direct ? 0 : static_cast<std::size_t>(source.width) * 4);
    std::int32_t last = -1;
    for (const std::int32_t sy : rows.picks()) {
        if (sy == last) continue;  // an enlarged row, copied by Fill
        last = sy;
        rows.Fill(target, sy, [&](std::uint8_t* out) {
            if (direct) {
                SampleBgrColumns(source_row(sy), direct_bytes, columns, out, target.alpha);
            } else {
                expander.ExpandRow(source_row(sy), expanded.data());
                SampleBgrColumns(expanded.data(), 4, columns, out);
            }
        });
    }
}

// The 1-bit rule: along each axis being shrunk, AND the indices of the span;
// along an axis being enlarged (or kept), pick the nearest pixel.
void StretchOneBit(const Image& source, const SourceRows& source_row, Image& target, const ScaleWindow& window) {
    const AxisWindow across = ColumnsOf(window, target.width), down = RowsOf(window, target.height);
    const bool shrink_x = across.scaled < source.width;
    const bool shrink_y = down.scaled < source.height;
    const auto columns = NearestMap(source.width, across);
    const auto rows = NearestMap(source.height, down);
    const auto column_bounds = shrink_x ? SpanBounds(source.width, across) : std::vector<std::int32_t>{};
    const auto row_bounds = shrink_y ? SpanBounds(source.height, down) : std::vector<std::int32_t>{};
    std::array<PaletteEntry, 2> colors{};
    for (std::size_t i = 0; i < std::min<std::size_t>(2, source.palette.size()); ++i) colors[i] = source.palette[i];

    const std::size_t stride = source.stride();
    std::vector<std::uint8_t> combined(stride);
    auto bit = [&](std::int32_t x) { return (combined[static_cast<std::size_t>(x) >> 3] >> (7 - (x & 7))) & 1; };

    for (std::int32_t dy = 0; dy < target.height; ++dy) {
        // The packed rows of the span ANDed byte by byte: bit x is then the AND
        // of column x over those rows.
        const std::int32_t first = shrink_y ? row_bounds[static_cast<std::size_t>(dy)] : rows[static_cast<std::size_t>(dy)];
        const std::int32_t last = shrink_y ? row_bounds[static_cast<std::size_t>(dy) + 1] : first + 1;
        std::memcpy(combined.data(), source_row(first), stride);
        for (std::int32_t sy = first + 1; sy < last; ++sy) {
            const std::uint8_t* row = source_row(sy);
            for (std::size_t i = 0; i < stride; ++i) combined[i] &= row[i];
        }
        std::uint8_t* out = target.row_from_top(dy);
        for (std::int32_t dx = 0; dx < target.width; ++dx, out += 4) {
            int index;
            if (shrink_x) {
                index = 1;
                const std::int32_t end = column_bounds[static_cast<std::size_t>(dx) + 1];
                for (std::int32_t sx = column_bounds[static_cast<std::size_t>(dx)]; sx < end && index; ++sx) index &= bit(sx);
            } else {
                index = bit(columns[static_cast<std::size_t>(dx)]);
            }
            PutColor(out, colors[static_cast<std::size_t>(index)]);
        }
    }
}

}  // namespace

Image StretchToThumbnail(const Image& source, std::int32_t width, std::int32_t height, const ScaleWindow& window) {
    if (!source.empty() && source.pixels.size() < source.stride() * static_cast<std::size_t>(source.height)) {
        throw LoadError("the source image holds fewer pixel bytes than its size needs");
    }
    return StretchRowsToThumbnail(source, [&source](std::int32_t y) { return source.row_from_top(y); }, width,
                                  height, window);
}

void CheckThumbnailSize(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1) {
        throw LoadError("thumbnail size " + std::to_string(width) + " x " + std::to_string(height) + " is empty");
    }
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) {
        throw LoadError("thumbnail of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels exceeds the pixel limit");
    }
}

Image BlankThumbnail(std::int32_t width, std::int32_t height) {
    CheckThumbnailSize(width, height);
    Image target;
    target.width = width;
    target.height = height;
    target.bits_per_pixel = 32;
    target.pixels.resize(target.stride() * static_cast<std::size_t>(height));
    return target;
}

Image StretchRowsToThumbnail(const Image& format, const SourceRows& source_row, std::int32_t width,
                             std::int32_t height, const ScaleWindow& window) {
    if (format.empty()) throw LoadError("the source image is empty");
    Image target = BlankThumbnail(width, height);
    target.alpha = format.alpha && format.bits_per_pixel == 32 && format.compression == 0;
    if (format.bits_per_pixel == 1) {
        StretchOneBit(format, source_row, target, window);
    } else {
        StretchNearest(format, source_row, target, window);
    }
    return target;
}

}  // namespace nuthumb
