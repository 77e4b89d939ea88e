#include "codecs/jpeg_encoder.h"

#include <cstdio>
#include <new>
#include <optional>

#include <jpeglib.h>

#include "codecs/codec_failure.h"
#include "codecs/jpeg_destination.h"
#include "codecs/jpeg_error_trap.h"
#include "pixels/pixel_format.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// One compression: the library object and where its data goes.
struct Encoder {
    JpegErrorTrap trap{};
    jpeg_compress_struct info{};  // zeroed: destroying an uncreated one is a no-op
    JpegVectorDestination destination;

    Encoder() = default;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() { jpeg_destroy_compress(&info); }
};

// Thumbnails (B,G,R,0) and decoded JPEGs (B,G,R) reach the colour converter as
// they are, which does the same RGB to YCbCr arithmetic as for three-component RGB
// input; every other format is expanded to B,G,R,0 a row at a time.
bool IsDirect(const Image& image) {
    return image.compression == 0 && (image.bits_per_pixel == 32 || image.bits_per_pixel == 24);
}

// Everything between the library's creation and its last call; nothing here owns
// anything, so a fatal error's jump back skips no cleanup.
// `expander` is null for a direct image, else it fills `scratch` row by row.
void Compress(Encoder& e, const Image& image, bool progressive, int quality, const BgrxRowExpander* expander,
              std::uint8_t* scratch) {
    if (setjmp(e.trap.jump)) throw EncodeError("JPEG: " + e.trap.Message());
    jpeg_create_compress(&e.info);
    e.destination.InstallInto(e.info);
    e.info.image_width = static_cast<JDIMENSION>(image.width);
    e.info.image_height = static_cast<JDIMENSION>(image.height);
    const bool bgr = expander == nullptr && image.bits_per_pixel == 24;
    e.info.input_components = bgr ? 3 : 4;
    e.info.in_color_space = bgr ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&e.info);  // YCbCr 4:2:0, JFIF 1.01, density 1 x 1 without unit
    e.info.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&e.info, quality, TRUE);
    if (progressive) jpeg_simple_progression(&e.info);
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        const auto y = static_cast<std::int32_t>(e.info.next_scanline);
        JSAMPROW row = scratch;
        if (expander)
            expander->Expand(y, scratch);
        else  // the library only reads the rows it is handed
            row = const_cast<std::uint8_t*>(image.row_from_top(y));
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Image& image, int quality, bool progressive) {
    if (image.empty()) throw EncodeError(std::string("JPEG: ") + Tr("画像が空です"));
    std::optional<BgrxRowExpander> expander;
    std::vector<std::uint8_t> scratch;
    if (!IsDirect(image)) {
        expander.emplace(image);
        scratch.resize(static_cast<std::size_t>(image.width) * 4);
    }
    std::vector<std::uint8_t> encoded;
    try {
        encoded.reserve(static_cast<std::size_t>(MaxEncodedBytes(image.width, image.height)));
    } catch (const std::bad_alloc&) {
        // No room to reserve so much address space: the vector grows as it goes.
    }
    Encoder e;
    e.destination.Prepare(encoded);
    e.trap.InstallInto(reinterpret_cast<j_common_ptr>(&e.info));
    Compress(e, image, progressive, quality, expander ? &*expander : nullptr, scratch.data());
    return encoded;
}

}  // namespace nuthumb
