// Feeds arbitrary bytes to the JPEG XL row (libjxl) three ways
// (fuzz/three_plans.h).
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nuthumb::fuzzing::DecodeThreeWays(nuthumb::ImageFormat::kJxl, nuthumb::MemoryBytes({data, size}), size);
    return 0;
}
