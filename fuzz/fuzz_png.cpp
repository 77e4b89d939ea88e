// Feeds arbitrary bytes to the PNG row three ways (fuzz/three_plans.h); a whole
// image must also come back unchanged through the PNG encoder.
#include <cstdlib>

#include "codecs/png_writer.h"
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const auto whole = fuzzing::DecodeThreeWays(ImageFormat::kPng, MemoryBytes({data, size}), size);
    if (!whole) return 0;
    const std::vector<std::uint8_t> encoded = EncodePng(*whole);
    DecodeRequest as_whole;
    as_whole.plan = [](std::int32_t width, std::int32_t height) { return DecodePlan{true, width, height}; };
    const Image again = CodecOf(ImageFormat::kPng).decode(MemoryBytes(encoded), as_whole, {}).image;
    if (again.pixels != whole->pixels || again.alpha != whole->alpha) std::abort();
    return 0;
}
