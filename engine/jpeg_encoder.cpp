#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "engine/jpeg_codec.h"
#include "engine/jpeg_error_trap.h"

namespace nuthumb {
namespace {

constexpr int kQuality = 90;

// One compression: the library object and the buffer jpeg_mem_dest allocates.
struct Encoder {
    JpegErrorTrap trap{};
    jpeg_compress_struct info{};  // zeroed: destroying an uncreated one is a no-op
    unsigned char* buffer = nullptr;
    unsigned long size = 0;

    Encoder() = default;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

// How the rows of `image` reach the encoder without a conversion pass: thumbnails
// are B,G,R,0 and decoded JPEGs B,G,R, both of which the colour converter takes
// directly (same RGB to YCbCr arithmetic as three-component RGB input).
J_COLOR_SPACE InputSpaceOf(const Image& image) {
    if (image.compression == 0 && image.bits_per_pixel == 32) return JCS_EXT_BGRX;
    if (image.compression == 0 && image.bits_per_pixel == 24) return JCS_EXT_BGR;
    return JCS_UNKNOWN;
}

// Everything between the library's creation and its last call; nothing here owns
// anything, so a fatal error's jump back skips no cleanup.
void Compress(Encoder& e, const Image& image, bool progressive, J_COLOR_SPACE space) {
    if (setjmp(e.trap.jump)) throw JpegEncodeError("JPEG: " + e.trap.Message());
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.buffer, &e.size);
    e.info.image_width = static_cast<JDIMENSION>(image.width);
    e.info.image_height = static_cast<JDIMENSION>(image.height);
    e.info.input_components = space == JCS_EXT_BGR ? 3 : 4;
    e.info.in_color_space = space;
    jpeg_set_defaults(&e.info);  // YCbCr 4:2:0, JFIF 1.01, density 1 x 1 without unit
    e.info.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&e.info, kQuality, TRUE);
    if (progressive) jpeg_simple_progression(&e.info);
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        // The library only reads the rows it is handed.
        JSAMPROW row = const_cast<std::uint8_t*>(
            image.row_from_top(static_cast<std::int32_t>(e.info.next_scanline)));
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
}

}  // namespace

std::vector<std::uint8_t> JpegCodec::Encode(const Image& image) {
    ReleaseSource();
    if (image.empty()) throw JpegEncodeError("JPEG: empty image");
    const J_COLOR_SPACE space = InputSpaceOf(image);
    if (space == JCS_UNKNOWN) throw JpegEncodeError("JPEG: unsupported pixel format");
    Encoder e;
    e.trap.InstallInto(reinterpret_cast<j_common_ptr>(&e.info));
    Compress(e, image, progressive_, space);
    return std::vector<std::uint8_t>(e.buffer, e.buffer + e.size);
}

}  // namespace nuthumb
