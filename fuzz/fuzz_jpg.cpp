// Feeds arbitrary bytes to the JPEG decoder and drives whatever loads through the
// rest of a conversion: a thumbnail made while decoding (rows skipped), with the
// area filter at a reduced scale, or from the full decode, each turned as the
// file's EXIF Orientation says, and the encoder for the thumbnail and for the
// full image.
#include <cstdint>

#include "codecs/jpeg_decoder.h"
#include "codecs/jpeg_encoder.h"
#include "pixels/nearest_map.h"
#include "pixels/load_error.h"
#include "pixels/orientation.h"
#include "pixels/scaler.h"

namespace {

// The library allocates by the header's size before it reads any pixel data;
// this keeps one input within the fuzzer's memory and time.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    try {
        const MemoryBytes bytes({data, size});  // outlives the decoder that reads it
        JpegDecoder codec(bytes, {}, true);
        const std::int32_t source_width = codec.width(), source_height = codec.height();
        if (std::uint64_t(source_width) * std::uint64_t(source_height) > kFuzzMaxPixels) return 0;
        // One size that shrinks, one that enlarges, taken from the input.
        const std::int32_t width = 1 + static_cast<std::int32_t>(size % 37);
        const std::int32_t height = 1 + static_cast<std::int32_t>(source_height % 53);
        const int orientation = codec.orientation();
        if (size % 4 == 0) {
            EncodeJpeg(OrientImage(
                codec.DecodeSampled(NearestMap(source_width, width), NearestMap(source_height, height)), orientation));
        } else if (size % 4 == 1) {
            EncodeJpeg(OrientImage(codec.DecodeArea(width, height), orientation), 1 + static_cast<int>(size % 100));
        } else {
            const Image image = codec.DecodeImage();
            EncodeJpeg(StretchToThumbnail(image, width, height));
            if (size % 3 == 0) EncodeJpeg(OrientImage(image, orientation), 90, true);
        }
    } catch (const LoadError&) {
        // A clean refusal is a correct answer for damaged input.
    }
    return 0;
}
