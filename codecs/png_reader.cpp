#include "codecs/png_reader.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "codecs/codec_failure.h"
#include "pixels/row_sink.h"

namespace nuthumb {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// One decode: the library's objects and the source they read through a small
// buffer. libpng reports failures by a long jump, so everything the jump may
// cross is plain data, and the functions that call the library own nothing.
struct PngDecoder {
    const ByteSource& source;
    const DecodeOptions& options;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kChunk);
    std::uint64_t position = 0;
    std::size_t at = 0, filled = 0;
    bool ended = false;    // the source ran out
    std::size_t padding = 0;  // zeros handed out since
    bool stopped = false;  // the caller asked to stop
    std::exception_ptr read_failure;
    char message[192] = {};
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngDecoder(const ByteSource& s, const DecodeOptions& o) : source(s), options(o) {}
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;
    ~PngDecoder() { png_destroy_read_struct(&png, &info, nullptr); }

    // After a jump back: the exception the caller expects.
    [[noreturn]] void ThrowFailure() const {
        if (read_failure) std::rethrow_exception(read_failure);
        if (stopped) throw DecodeCancelled();
        if (ended) throw CutShort("PNG");
        throw DamagedData("PNG", message);
    }
    SourceDamage Damage() const { return ended ? SourceDamage::kTruncated : SourceDamage::kCorruptData; }
};

void OnError(png_structp png, png_const_charp text) {
    auto& d = *static_cast<PngDecoder*>(png_get_error_ptr(png));
    std::snprintf(d.message, sizeof d.message, "%s", text);
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// Refills the buffer; false when the source gave nothing. Catches everything:
// no exception may cross the library.
bool Refill(PngDecoder& d) noexcept {
    if (d.options.StopRequested()) {
        d.stopped = true;
        return false;
    }
    try {
        d.filled = d.source.ReadAt(d.position, d.buffer);
    } catch (...) {
        d.read_failure = std::current_exception();
        return false;
    }
    d.at = 0;
    d.position += d.filled;
    if (d.filled == 0) d.ended = true;
    return d.filled > 0;
}

// A cut file is read on as zeros, so the library decodes every row the data
// holds (it asks for its input in blocks of kilobytes, and would otherwise
// lose the rows of the last one) and then fails on the made-up bytes.
constexpr std::size_t kMaxPadding = 1 << 20;

void ReadData(png_structp png, png_bytep out, std::size_t length) {
    auto& d = *static_cast<PngDecoder*>(png_get_io_ptr(png));
    while (length > 0) {
        if (d.at == d.filled && !Refill(d)) {
            if (!d.ended || d.padding > kMaxPadding) png_error(png, "read");
            d.padding += length;
            std::memset(out, 0, length);
            return;
        }
        const std::size_t n = std::min(length, d.filled - d.at);
        std::memcpy(out, d.buffer.data() + d.at, n);
        d.at += n, out += n, length -= n;
    }
}

// The calls into the library, each its own frame for the jump to land in.
bool Open(PngDecoder& d) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_set_read_fn(d.png, &d, ReadData);
    // Text chunks are never shown: not even decompressed.
    static const png_byte kIgnored[] = "tEXt\0zTXt\0iTXt";
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, kIgnored, 3);
    png_read_info(d.png, d.info);
    return true;
}

// Every kind to B,G,R or B,G,R,A of 8 bits; gamma and colour chunks are not
// applied, so pixels are taken as stored, like a JPEG's. Returns the number of
// passes, 0 on failure.
int Configure(PngDecoder& d, bool alpha) {
    if (setjmp(png_jmpbuf(d.png))) return 0;
    png_set_scale_16(d.png);  // rounds, where strip_16 would cut
    png_set_expand(d.png);    // palette to RGB, small gray to 8 bits, tRNS to alpha
    png_set_gray_to_rgb(d.png);
    png_set_bgr(d.png);
    if (!alpha) png_set_strip_alpha(d.png);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    return passes;
}

bool ReadRow(PngDecoder& d, png_bytep row) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_read_row(d.png, row, nullptr);
    return true;
}

// Rows of a file that is not interlaced go straight into the sink; returns the
// damage where the data ended early. The library may fail after it has written
// the row (a checksum read behind the last one), or before (leaving a scratch
// row's old content): the failed row is made black, so that a thumbnail never
// differs from the whole image's.
SourceDamage ReadRows(PngDecoder& d, RowSink& sink, std::int32_t width, std::int32_t height, std::size_t bytes) {
    for (std::int32_t y = 0; y < height; ++y) {
        d.options.ThrowIfStopRequested();
        if (!ReadRow(d, sink.RowBuffer(y))) {
            if (d.read_failure || d.stopped) d.ThrowFailure();
            std::memset(sink.RowBuffer(y), 0, static_cast<std::size_t>(width) * bytes);
            return d.Damage();
        }
        sink.Add(y);
    }
    return SourceDamage::kNone;
}

// An interlaced file fills the whole image in passes, each adding its pixels to
// the rows the earlier ones began.
SourceDamage ReadPasses(PngDecoder& d, Image& image, int passes) {
    for (int pass = 0; pass < passes; ++pass) {
        for (std::int32_t y = 0; y < image.height; ++y) {
            d.options.ThrowIfStopRequested();
            if (!ReadRow(d, image.row_from_top(y))) {
                if (d.read_failure || d.stopped) d.ThrowFailure();
                return d.Damage();
            }
        }
    }
    return SourceDamage::kNone;
}

// The iCCP chunk's conversion, when one is asked for and the file has one.
std::optional<SrgbConversion> ColourOf(const PngDecoder& d, bool to_srgb) {
    png_charp name = nullptr;
    int method = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (!to_srgb || png_get_iCCP(d.png, d.info, &name, &method, &profile, &length) != PNG_INFO_iCCP)
        return std::nullopt;
    return SrgbConversion::FromProfile({profile, length});
}

}  // namespace

bool IsPng(std::span<const std::uint8_t> head) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return head.size() >= sizeof kSignature && std::equal(std::begin(kSignature), std::end(kSignature), head.begin());
}

Decoded DecodePng(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    PngDecoder d(source, options);
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, OnError, OnWarning);
    if (d.png) d.info = png_create_info_struct(d.png);
    if (!d.info) throw std::bad_alloc();
    if (!Open(d)) d.ThrowFailure();

    const auto width = static_cast<std::int32_t>(std::min<png_uint_32>(png_get_image_width(d.png, d.info), INT32_MAX));
    const auto height = static_cast<std::int32_t>(std::min<png_uint_32>(png_get_image_height(d.png, d.info), INT32_MAX));
    const int color_type = png_get_color_type(d.png, d.info);
    const bool alpha = (color_type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(d.png, d.info, PNG_INFO_tRNS) != 0;
    const bool interlaced = png_get_interlace_type(d.png, d.info) != PNG_INTERLACE_NONE;
    CheckSourcePixels(width, height);
    const std::vector<DecodePlan> plans = request.PlansFor(width, height);

    // The library's rows at their widest (16-bit RGBA: 8 bytes a pixel), the
    // current and the previous one, and the inflater's window.
    const std::uint64_t library = static_cast<std::uint64_t>(width) * 8 * 2 + (64u << 10);
    options.ReserveMemory(library + PlansMemory(width, height, alpha, plans, interlaced));

    const int passes = Configure(d, alpha);
    if (passes == 0) d.ThrowFailure();
    const std::size_t bytes = alpha ? 4 : 3;
    if (png_get_rowbytes(d.png, d.info) != static_cast<std::size_t>(width) * bytes)
        throw DamagedData("PNG", "row size");

    std::optional<SrgbConversion> colour = ColourOf(d, request.to_srgb);
    if (interlaced) {
        Image image = DecodedImage(width, height, alpha);
        image.damage = ReadPasses(d, image, passes);
        return DecodedOf(ApplyPlans(std::move(image), plans, colour));
    }
    RowSink sink(width, height, alpha, plans, std::move(colour));
    const SourceDamage damage = ReadRows(d, sink, width, height, bytes);
    std::vector<Image> images = sink.FinishAll();
    for (Image& image : images) image.damage = damage;
    return DecodedOf(std::move(images));
}

}  // namespace nuthumb
