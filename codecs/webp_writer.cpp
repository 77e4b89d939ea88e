#include "codecs/webp_writer.h"

#include <webp/encode.h>

#include <memory>
#include <string>

#include "codecs/codec_failure.h"
#include "pixels/pixel_format.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

struct PictureFreer {
    void operator()(WebPPicture* p) const { WebPPictureFree(p); }
};
struct WriterFreer {
    void operator()(WebPMemoryWriter* w) const { WebPMemoryWriterClear(w); }
};

EncodeError Failure(const std::string& reason) { return EncodeError("WebP: " + reason); }

}  // namespace

std::vector<std::uint8_t> EncodeWebp(const Image& image, int quality) {
    if (image.empty()) throw Failure(Tr("画像が空です"));
    if (image.width > WEBP_MAX_DIMENSION || image.height > WEBP_MAX_DIMENSION)
        throw Failure(Fill(Tr("{} ファイルにするには画像が大きすぎます"), {"WebP"}));
    WebPConfig config;
    if (!WebPConfigInit(&config)) throw Failure("version");
    config.quality = static_cast<float>(quality);
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) throw Failure("version");
    picture.width = image.width;
    picture.height = image.height;
    const std::unique_ptr<WebPPicture, PictureFreer> owned_picture(&picture);

    // Rows are handed over top row first: a bottom-up image by its top row and
    // a negative stride.
    const bool plain = image.compression == 0;
    const auto stride = static_cast<int>(image.stride());
    const int step = image.top_down ? stride : -stride;
    int imported = 0;
    if (plain && image.bits_per_pixel == 24) {
        imported = WebPPictureImportBGR(&picture, image.row_from_top(0), step);
    } else if (plain && image.bits_per_pixel == 32) {
        imported = image.alpha ? WebPPictureImportBGRA(&picture, image.row_from_top(0), step)
                               : WebPPictureImportBGRX(&picture, image.row_from_top(0), step);
    } else {
        // Every other format is expanded to B,G,R,x whole first.
        const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
        std::vector<std::uint8_t> expanded(row_bytes * static_cast<std::size_t>(image.height));
        const BgrxRowExpander expander(image);
        for (std::int32_t y = 0; y < image.height; ++y)
            expander.Expand(y, expanded.data() + static_cast<std::size_t>(y) * row_bytes);
        imported = WebPPictureImportBGRX(&picture, expanded.data(), static_cast<int>(row_bytes));
    }
    if (!imported) throw std::bad_alloc();

    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    const std::unique_ptr<WebPMemoryWriter, WriterFreer> owned_writer(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture)) throw Failure("error " + std::to_string(picture.error_code));
    return {writer.mem, writer.mem + writer.size};
}

}  // namespace nuthumb
