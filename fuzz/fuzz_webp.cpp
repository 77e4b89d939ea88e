// Feeds arbitrary bytes to the WebP row three ways (fuzz/three_plans.h; the area
// thumbnail is libwebp's own scaling); a small whole image also goes through the
// WebP encoder.
#include "codecs/webp_writer.h"
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const auto whole = fuzzing::DecodeThreeWays(ImageFormat::kWebp, MemoryBytes({data, size}), size);
    if (whole && std::int64_t{whole->width} * whole->height <= 4096) EncodeWebp(*whole, 75);
    return 0;
}
