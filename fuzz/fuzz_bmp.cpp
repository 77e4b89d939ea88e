// Feeds arbitrary bytes to the BMP reader and drives whatever loads through the
// rest of the path: every row expanded, a stretch, and both BMP writers (the
// composed file and, for run-length sources, the stored bytes). The thumbnail made
// while reading must equal the stretch of the whole image, and must refuse exactly
// what the whole load refuses.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "codecs/bmp_writer.h"
#include "codecs/bmp_reader.h"
#include "codecs/bmp_thumbnail.h"
#include "pixels/load_error.h"
#include "pixels/pixel_format.h"
#include "pixels/scaler.h"

namespace {

// Small enough that one input cannot take the fuzzer's memory or time, large
// enough for every code path.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 18;

std::optional<nuthumb::Image> ScaledWhileRead(std::span<const std::uint8_t> file, std::int32_t width,
                                              std::int32_t height) {
    try {
        const nuthumb::MemoryBytes bytes(file);
        return nuthumb::DecodeBitmapThumbnail(bytes, nuthumb::ReadBmpHeader(bytes, kFuzzMaxPixels), width, height, {});
    } catch (const nuthumb::LoadError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const std::span<const std::uint8_t> file(data, size);
    // One size that shrinks, one that enlarges, taken from the input.
    const std::int32_t width = 1 + static_cast<std::int32_t>(size % 37);
    std::optional<Image> whole;
    try {
        const Image image = LoadBitmap(file, kFuzzMaxPixels);
        if (image.empty()) return 0;
        BgrxRowExpander expander(image);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 4);
        for (std::int32_t y = 0; y < image.height; ++y) expander.Expand(y, row.data());
        whole = StretchToThumbnail(image, width, 1 + image.height % 53);
        ComposeBitmapFile(*whole);
        ComposeBitmapFile(image);
    } catch (const LoadError&) {
        // A clean refusal is a correct answer for damaged input.
    }
    const std::optional<Image> streamed = ScaledWhileRead(file, width, whole ? whole->height : 1);
    if (streamed.has_value() != whole.has_value() || (whole && streamed->pixels != whole->pixels)) std::abort();
    return 0;
}
