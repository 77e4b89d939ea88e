#pragma once
// How a HEIF file shows each of its image items, read from its item property
// boxes: libheif applies an item's crop (clap), turn (irot) and mirroring
// (imir) when it decodes, but does not tell what they were, and a thumbnail item
// may only stand in for the primary image when they are the same.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/byte_source.h"

namespace nuthumb {

struct HeifItemLook {
    std::int64_t coded_width = 0, coded_height = 0;  // ispe: before any transform
    // The part of the coded picture shown (clap), in coded pixels: left, top,
    // right, bottom; the whole picture without a clap.
    std::array<double, 4> shown{};
    // Each irot (0x100 | angle in quarter turns) and imir (0x200 | axis), in the
    // order the item lists them, which is the order they apply in.
    std::vector<std::uint16_t> turns;
};

// The look of each of `items`, or nothing for one whose boxes cannot be read (a
// meta box larger than a few MiB, damaged or cut boxes, no ispe, a clap with
// no denominator).
std::vector<std::optional<HeifItemLook>> ReadHeifItemLooks(const ByteSource& source,
                                                           std::span<const std::uint32_t> items);

}  // namespace nuthumb
