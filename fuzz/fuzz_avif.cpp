// Feeds arbitrary bytes to the AVIF row (libheif with its AV1 decoder) three
// ways (fuzz/three_plans.h).
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nuthumb::fuzzing::DecodeThreeWays(nuthumb::ImageFormat::kAvif, nuthumb::MemoryBytes({data, size}), size);
    return 0;
}
