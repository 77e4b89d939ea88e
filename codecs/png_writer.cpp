#include "codecs/png_writer.h"

#include <png.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "codecs/codec_failure.h"
#include "pixels/pixel_format.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// The library's objects and the file growing in memory; as in the reader,
// plain data only, since a failure jumps across it.
struct PngEncoder {
    std::vector<std::uint8_t>* out = nullptr;
    std::exception_ptr write_failure;  // memory ran out while the file grew
    char message[192] = {};
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngEncoder() = default;
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;
    ~PngEncoder() { png_destroy_write_struct(&png, &info); }
};

void OnError(png_structp png, png_const_charp text) {
    auto& e = *static_cast<PngEncoder*>(png_get_error_ptr(png));
    std::snprintf(e.message, sizeof e.message, "%s", text);
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

void WriteData(png_structp png, png_bytep data, std::size_t length) {
    auto& e = *static_cast<PngEncoder*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        e.out->insert(e.out->end(), data, data + length);
    } catch (...) {
        e.write_failure = std::current_exception();
        failed = true;
    }
    if (failed) png_error(png, "write");
}
void FlushData(png_structp) {}

// Rows as B,G,R; B,G,R,x (the filler dropped); or B,G,R,A.
enum class RowForm { kBgr, kBgrx, kBgra };

// Everything between creation and the end of the file; `row(y)` gives row y
// from the top, in `form`.
template <class Row>
bool Compress(PngEncoder& e, const Image& image, RowForm form, Row row) {
    if (setjmp(png_jmpbuf(e.png))) return false;
    png_set_write_fn(e.png, &e, WriteData, FlushData);
    png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 form == RowForm::kBgra ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(e.png, e.info);
    png_set_bgr(e.png);
    if (form == RowForm::kBgrx) png_set_filler(e.png, 0, PNG_FILLER_AFTER);
    for (std::int32_t y = 0; y < image.height; ++y) png_write_row(e.png, row(y));
    png_write_end(e.png, e.info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Image& image) {
    if (image.empty()) throw EncodeError(std::string("PNG: ") + Tr("画像が空です"));
    std::vector<std::uint8_t> file;
    PngEncoder e;
    e.out = &file;
    e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &e, OnError, OnWarning);
    if (e.png) e.info = png_create_info_struct(e.png);
    if (!e.info) throw std::bad_alloc();

    const bool plain = image.compression == 0;
    const bool direct = plain && (image.bits_per_pixel == 24 || image.bits_per_pixel == 32);
    RowForm form = RowForm::kBgrx;
    if (direct && image.bits_per_pixel == 24) form = RowForm::kBgr;
    if (direct && image.alpha) form = RowForm::kBgra;
    // Every other format goes through B,G,R,x a row at a time.
    std::optional<BgrxRowExpander> expander;
    std::vector<std::uint8_t> scratch;
    if (!direct) {
        expander.emplace(image);
        scratch.resize(static_cast<std::size_t>(image.width) * 4);
    }
    const bool done = Compress(e, image, form, [&](std::int32_t y) -> png_bytep {
        if (!expander) return const_cast<png_bytep>(image.row_from_top(y));  // the library only reads it
        expander->Expand(y, scratch.data());
        return scratch.data();
    });
    if (!done) {
        if (e.write_failure) std::rethrow_exception(e.write_failure);
        throw EncodeError(std::string("PNG: ") + e.message);
    }
    return file;
}

}  // namespace nuthumb
