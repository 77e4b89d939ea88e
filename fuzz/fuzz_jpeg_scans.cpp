// Feeds arbitrary bytes to the area decode at every reduced scale, once fed only
// the scans the scale reads and once fed every scan. Where the decode of every
// scan finds nothing wrong, leaving scans out must give the same pixels.
#include <cstdint>
#include <cstdlib>

#include "codecs/jpeg_decoder.h"
#include "pixels/load_error.h"

namespace {

constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 18;

struct Outcome {
    bool loaded = false;
    nuthumb::Image image;
};

Outcome Area(const std::uint8_t* data, std::size_t size, std::int32_t width, std::int32_t height, bool every_scan) {
    using namespace nuthumb;
    Outcome outcome;
    try {
        const MemoryBytes bytes({data, size});
        DecodeOptions options;
        options.read_every_scan = every_scan;
        JpegDecoder codec(bytes, options);
        if (std::uint64_t(codec.width()) * std::uint64_t(codec.height()) > kFuzzMaxPixels) return outcome;
        const std::int32_t w = std::max<std::int32_t>(1, codec.width() * width / 8);
        const std::int32_t h = std::max<std::int32_t>(1, codec.height() * height / 8);
        outcome.image = codec.DecodeArea(w, h);
        outcome.loaded = true;
    } catch (const LoadError&) {
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Thumbnail sizes in eighths of the source, so that each scale gets its turn.
    const std::int32_t eighths = 1 + static_cast<std::int32_t>(size % 4 == 3 ? 3 : size % 4);
    const Outcome every = Area(data, size, eighths, eighths, true);
    const Outcome chosen = Area(data, size, eighths, eighths, false);
    if (every.loaded && every.image.damage == nuthumb::SourceDamage::kNone &&
        (!chosen.loaded || chosen.image.pixels != every.image.pixels))
        std::abort();
    return 0;
}
