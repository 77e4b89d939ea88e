// Feeds arbitrary bytes to the PNG decoder three ways (fuzz/three_plans.h); a
// whole image must also come back unchanged through the PNG encoder.
#include <cstdlib>

#include "codecs/png_reader.h"
#include "codecs/png_writer.h"
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const MemoryBytes bytes({data, size});
    const auto whole = fuzzing::DecodeThreeWays([&](const PlanOf& plan) { return LoadPng(bytes, plan, {}); }, size);
    if (!whole) return 0;
    const std::vector<std::uint8_t> encoded = EncodePng(*whole);
    const MemoryBytes again_bytes(encoded);
    const PlanOf as_whole = [](std::int32_t width, std::int32_t height) { return DecodePlan{true, width, height, false}; };
    const Image again = LoadPng(again_bytes, as_whole, {});
    if (again.pixels != whole->pixels || again.alpha != whole->alpha) std::abort();
    return 0;
}
