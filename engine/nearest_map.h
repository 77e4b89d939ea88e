#pragma once
// The nearest-neighbour mapping of the stretch: destination index d of dn takes the
// source index at the centre of its span, ((2d + 1) * n) / (2 * dn), in 64 bits.
#include <cstdint>

namespace nuthumb {

inline std::int32_t NearestSourceIndex(std::int32_t d, std::int32_t n, std::int32_t dn) {
    return static_cast<std::int32_t>((2 * std::int64_t{d} + 1) * n / (2 * std::int64_t{dn}));
}

}  // namespace nuthumb
