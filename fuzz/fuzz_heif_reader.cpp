// Feeds arbitrary bytes to the HEIF decoder (HEIC and AVIF through libheif)
// three ways (fuzz/three_plans.h).
#include "codecs/heif_reader.h"
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const MemoryBytes bytes({data, size});
    fuzzing::DecodeThreeWays([&](const PlanOf& plan) { return LoadHeif(bytes, "HEIF", plan, {}); }, size);
    return 0;
}
