#include "engine/jpeg_codec.h"

#include <algorithm>
#include <cstdio>

#include <jpeglib.h>

#include "engine/jpeg_error_trap.h"
#include "engine/load_error.h"
#include "engine/nearest_map.h"

namespace nuthumb {

struct JpegCodec::Decoder {
    std::vector<std::uint8_t> file;  // the memory source reads from here
    JpegErrorTrap trap{};
    jpeg_decompress_struct info{};  // zeroed: destroying an uncreated one is a no-op

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() { jpeg_destroy_decompress(&info); }
};

namespace {

constexpr int kGrayLevels = 236;

enum class Output { kBgr, kGray, kCmyk };

Output OutputOf(const jpeg_decompress_struct& info) {
    if (info.out_color_space == JCS_GRAYSCALE) return Output::kGray;
    if (info.out_color_space == JCS_CMYK) return Output::kCmyk;
    return Output::kBgr;
}

int BytesPerPixel(Output output) {
    switch (output) {
        case Output::kGray: return 1;
        case Output::kCmyk: return 4;
        case Output::kBgr: break;
    }
    return 3;
}

// Adobe writes CMYK inverted (0 = full ink), so the ink-free share of each
// channel is the stored value itself.
inline void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr) {
    const unsigned k = cmyk[3];
    bgr[0] = static_cast<std::uint8_t>((cmyk[2] * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((cmyk[1] * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((cmyk[0] * k + 127) / 255);
}

// The codec settings of a conversion; everything else stays the library's default
// (smooth chroma upsampling, Floyd-Steinberg dithering).
void Configure(jpeg_decompress_struct& info) {
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_FLOAT;
    info.do_block_smoothing = TRUE;
    info.buffered_image = FALSE;
    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
            info.out_color_space = JCS_GRAYSCALE;
            info.quantize_colors = TRUE;
            info.desired_number_of_colors = kGrayLevels;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info.out_color_space = JCS_CMYK;
            break;
        default:
            // B,G,R straight from the colour converter: no swap pass afterwards.
            // Colour spaces it cannot convert fail in jpeg_start_decompress.
            info.out_color_space = JCS_EXT_BGR;
            break;
    }
}

// The two calls that may jump back into this frame; nothing with a destructor lives
// here, so the jump skips no cleanup.
void StartDecompress(JpegErrorTrap& trap, jpeg_decompress_struct& info) {
    if (setjmp(trap.jump)) throw LoadError("JPEG: " + trap.Message());
    jpeg_start_decompress(&info);
}

// Decodes the remaining rows, top first: `needed(y)` names the first row from y on
// that is wanted (the rows before it are skipped), `where(y)` the buffer row y is
// decoded into, and `done(y, row)` sees it afterwards. None may throw or own
// anything, since a fatal codec error jumps back over them.
template <class Where, class Done, class Needed>
void DecodeRows(JpegErrorTrap& trap, jpeg_decompress_struct& info, Where where, Done done,
                Needed needed) {
    if (setjmp(trap.jump)) throw LoadError("JPEG: " + trap.Message());
    while (info.output_scanline < info.output_height) {
        const std::int32_t y = static_cast<std::int32_t>(info.output_scanline);
        const std::int32_t first = needed(y);
        if (first > y) {
            jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(first - y));
            continue;
        }
        JSAMPROW row = where(y);
        // A memory source never suspends, so every call yields a row.
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        done(y, row);
    }
    jpeg_finish_decompress(&info);
}

std::vector<PaletteEntry> GrayPalette(const jpeg_decompress_struct& info) {
    std::vector<PaletteEntry> palette(static_cast<std::size_t>(info.actual_number_of_colors));
    for (std::size_t j = 0; j < palette.size(); ++j) {
        const std::uint8_t v = info.colormap[0][j];
        palette[j] = PaletteEntry{v, v, v, 0};
    }
    return palette;
}

}  // namespace

JpegCodec::JpegCodec() = default;
JpegCodec::~JpegCodec() = default;

void JpegCodec::ReleaseSource() { decoder_.reset(); }

void JpegCodec::ReadHeader(std::vector<std::uint8_t> file) {
    decoder_ = std::make_unique<Decoder>();
    Decoder& d = *decoder_;
    d.file = std::move(file);
    d.trap.InstallInto(reinterpret_cast<j_common_ptr>(&d.info));
    if (setjmp(d.trap.jump)) throw LoadError("JPEG: " + d.trap.Message());
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, d.file.data(), static_cast<unsigned long>(d.file.size()));
    jpeg_read_header(&d.info, TRUE);
    progressive_ = jpeg_has_multiple_scans(&d.info) != FALSE;
    if (std::uint64_t{d.info.image_width} * d.info.image_height > kMaxPixels)
        throw LoadError("JPEG: image over the pixel limit");
    Configure(d.info);
}

std::int32_t JpegCodec::width() const {
    return decoder_ ? static_cast<std::int32_t>(decoder_->info.image_width) : 0;
}
std::int32_t JpegCodec::height() const {
    return decoder_ ? static_cast<std::int32_t>(decoder_->info.image_height) : 0;
}

Image JpegCodec::DecodeImage() {
    if (!decoder_) throw LoadError("JPEG: no source");
    Decoder& d = *decoder_;
    StartDecompress(d.trap, d.info);
    const Output output = OutputOf(d.info);

    Image image;
    image.width = static_cast<std::int32_t>(d.info.output_width);
    image.height = static_cast<std::int32_t>(d.info.output_height);
    image.bits_per_pixel = output == Output::kGray ? 8 : 24;
    if (output == Output::kGray) image.palette = GrayPalette(d.info);
    image.pixels.resize(image.stride() * static_cast<std::size_t>(image.height));

    if (output != Output::kCmyk) {
        DecodeRows(d.trap, d.info, [&](std::int32_t y) { return image.row_from_top(y); },
                   [](std::int32_t, JSAMPROW) {}, [](std::int32_t y) { return y; });
        return image;
    }
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(image.width) * 4);
    const std::size_t width = static_cast<std::size_t>(image.width);
    DecodeRows(
        d.trap, d.info, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            std::uint8_t* out = image.row_from_top(y);
            for (std::size_t x = 0; x < width; ++x) CmykToBgr(row + 4 * x, out + 3 * x);
        },
        [](std::int32_t y) { return y; });
    return image;
}

Image JpegCodec::DecodeThumbnail(std::int32_t width, std::int32_t height) {
    if (!decoder_) throw LoadError("JPEG: no source");
    Decoder& d = *decoder_;
    StartDecompress(d.trap, d.info);
    const Output output = OutputOf(d.info);
    const std::int32_t source_width = static_cast<std::int32_t>(d.info.output_width);
    const std::int32_t source_height = static_cast<std::int32_t>(d.info.output_height);
    const int bytes = BytesPerPixel(output);

    Image thumb;
    thumb.width = width;
    thumb.height = height;
    thumb.bits_per_pixel = 32;
    thumb.pixels.resize(thumb.stride() * static_cast<std::size_t>(height));

    std::vector<PaletteEntry> palette;
    if (output == Output::kGray) palette = GrayPalette(d.info);
    std::vector<std::uint32_t> column(static_cast<std::size_t>(width));
    for (std::int32_t dx = 0; dx < width; ++dx)
        column[dx] = static_cast<std::uint32_t>(NearestSourceIndex(dx, source_width, width) * bytes);
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(source_width) * bytes);

    // Rows are picked in order; an enlarged row is picked by several thumbnail rows.
    std::int32_t next = 0;
    // Rows that no thumbnail row picks are skipped: libjpeg-turbo still decodes what
    // the next kept row needs (entropy state, upsampling context, smoothing), so the
    // kept rows come out identical. Dithered gray output carries its error from row
    // to row and must see every row.
    const bool may_skip = output != Output::kGray;
    DecodeRows(
        d.trap, d.info, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            while (next < height && NearestSourceIndex(next, source_height, height) == y) {
                std::uint8_t* out = thumb.row_from_top(next++);
                for (std::int32_t dx = 0; dx < width; ++dx, out += 4) {
                    const std::uint8_t* in = row + column[dx];
                    switch (output) {
                        case Output::kBgr:
                            out[0] = in[0], out[1] = in[1], out[2] = in[2];
                            break;
                        case Output::kGray: {
                            const PaletteEntry& p = palette[*in];
                            out[0] = p.blue, out[1] = p.green, out[2] = p.red;
                            break;
                        }
                        case Output::kCmyk:
                            CmykToBgr(in, out);
                            break;
                    }
                }
            }
        },
        [&](std::int32_t y) {
            if (!may_skip) return y;
            if (next >= height) return source_height;
            return std::max(y, NearestSourceIndex(next, source_height, height));
        });
    return thumb;
}

}  // namespace nuthumb
