// Feeds arbitrary bytes to the WebP decoder three ways (fuzz/three_plans.h; the
// area thumbnail is libwebp's own scaling); a small whole image also goes
// through the WebP encoder.
#include "codecs/webp_reader.h"
#include "codecs/webp_writer.h"
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const MemoryBytes bytes({data, size});
    const auto whole = fuzzing::DecodeThreeWays([&](const PlanOf& plan) { return LoadWebp(bytes, plan, {}); }, size);
    if (whole && std::int64_t{whole->width} * whole->height <= 4096) EncodeWebp(*whole, 75);
    return 0;
}
