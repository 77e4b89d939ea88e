#pragma once
// Which scans of a progressive file a decode at a reduced scale can do without.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/jpeg_scan_list.h"

namespace nuthumb {

// The coefficients (bit k: zigzag position k) that the library's inverse DCT
// producing `size` x `size` pixels a block reads. Its 2- and 4-point transforms
// are shortcuts of the 8-point one and read the odd frequencies up to 7.
std::uint64_t CoefficientsRead(int size);

struct ByteRange {
    std::uint64_t begin, end;
};

// The byte ranges of the scans in `scans` (in file order; the first is already in
// the decoder's hands and always kept) that send none of the coefficients
// `needed[c]` of their components. A kept refinement scan needs the exact earlier
// history of its whole band, so every earlier scan touching its band is kept too.
std::vector<ByteRange> SkippableScans(std::span<const ScanHeader> scans, std::span<const std::uint64_t> needed);

}  // namespace nuthumb
