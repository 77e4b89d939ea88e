// Feeds arbitrary bytes to the RAW row (LibRaw) as every conversion asks: the
// whole picture (the full develop), a nearest thumbnail (from the embedded
// preview or the half-size develop) and an area thumbnail without previews, each
// estimated first. A thumbnail here is another rendering than the whole
// develop, so the two are not compared: each must load or be refused with a
// LoadError, and the sanitizers watch the rest.
#include "fuzz/three_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nuthumb;
    const MemoryBytes bytes({data, size});
    const std::int32_t side = 1 + static_cast<std::int32_t>(size % 37);
    for (const int way : {0, 1, 2}) {
        DecodeRequest request;
        request.previews = way != 2;
        request.plan = [&](std::int32_t width, std::int32_t height) {
            if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > fuzzing::kMaxPixels)
                throw LoadError("too large for fuzzing");
            return way == 0 ? DecodePlan{true, width, height} : DecodePlan{false, side, 1 + height % 29, way == 2};
        };
        try {
            EstimateMemory(ImageFormat::kRaw, bytes, request);
            Decoded decoded = CodecOf(ImageFormat::kRaw).decode(bytes, request, {});
            if (decoded.turn != 1) OrientImage(decoded.image, decoded.turn);
        } catch (const LoadError&) {
        }
    }
    return 0;
}
