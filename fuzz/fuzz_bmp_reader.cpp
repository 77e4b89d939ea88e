// Feeds arbitrary bytes to the BMP reader and drives whatever loads through the
// rest of the path: every row expanded, a stretch, and both BMP writers (the
// composed file and, for run-length sources, the stored bytes).
#include <cstdint>
#include <span>
#include <vector>

#include "engine/bitmap_writer.h"
#include "engine/bmp_reader.h"
#include "engine/load_error.h"
#include "engine/pixel_format.h"
#include "engine/scaler.h"

namespace {

// Small enough that one input cannot take the fuzzer's memory or time, large
// enough for every code path.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    try {
        const Image image = LoadBitmap(std::span<const std::uint8_t>(data, size), kFuzzMaxPixels);
        if (image.empty()) return 0;
        BgrxRowExpander expander(image);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 4);
        for (std::int32_t y = 0; y < image.height; ++y) expander.Expand(y, row.data());
        // One size that shrinks, one that enlarges, taken from the input.
        const std::int32_t width = 1 + static_cast<std::int32_t>(size % 37);
        const std::int32_t height = 1 + static_cast<std::int32_t>(image.height % 53);
        ComposeBitmapFile(StretchToThumbnail(image, width, height));
        ComposeBitmapFile(image);
    } catch (const LoadError&) {
        // A clean refusal is a correct answer for damaged input.
    }
    return 0;
}
