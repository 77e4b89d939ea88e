#include "codecs/jpeg_scan_choice.h"

#include <algorithm>

namespace nuthumb {
namespace {

// Zigzag position of each coefficient, rows of the block in natural order.
constexpr int kZigzagOf[64] = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                               3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                               10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                               21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

std::uint64_t Band(int ss, int se) {
    // A damaged header's Ss past the last coefficient: the scan is kept whole, and
    // the decoder refuses it.
    if (ss < 0 || ss > 63) return ~std::uint64_t{0};
    const std::uint64_t upto = se >= 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (se + 1)) - 1;
    return upto & ~((std::uint64_t{1} << ss) - 1);
}

}  // namespace

std::uint64_t CoefficientsRead(int size) {
    // The frequencies read along one axis of the block.
    unsigned frequencies = 0xFF;
    if (size == 1) frequencies = 0x01;
    else if (size == 2) frequencies = 0xAB;  // 0, 1, 3, 5, 7
    else if (size == 4) frequencies = 0xEF;  // all but 4
    else if (size > 0 && size < 8) frequencies = (1u << size) - 1;
    std::uint64_t mask = 0;
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            if ((frequencies >> row & 1) && (frequencies >> column & 1)) mask |= std::uint64_t{1} << kZigzagOf[row * 8 + column];
    return mask;
}

std::vector<ByteRange> SkippableScans(std::span<const ScanHeader> scans, std::span<const std::uint64_t> needed) {
    // Walking back from the last scan, `exact[c]` holds the coefficients whose
    // every scan from here back must reach the decoder.
    std::vector<std::uint64_t> exact(needed.begin(), needed.end());
    std::vector<bool> kept(scans.size());
    for (std::size_t i = scans.size(); i-- > 0;) {
        const ScanHeader& scan = scans[i];
        const std::uint64_t band = Band(scan.ss, scan.se);
        bool keep = i == 0;
        for (const int c : scan.component_span())
            if (static_cast<std::size_t>(c) >= exact.size() || (exact[static_cast<std::size_t>(c)] & band) != 0) keep = true;
        if (keep && scan.ah > 0)
            for (const int c : scan.component_span())
                if (static_cast<std::size_t>(c) < exact.size()) exact[static_cast<std::size_t>(c)] |= band;
        kept[i] = keep;
    }
    std::vector<ByteRange> skipped;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        if (kept[i]) continue;
        if (!skipped.empty() && skipped.back().end == scans[i].begin) skipped.back().end = scans[i].end;
        else skipped.push_back({scans[i].begin, scans[i].end});
    }
    return skipped;
}

}  // namespace nuthumb
