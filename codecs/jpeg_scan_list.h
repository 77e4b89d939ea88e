#pragma once
// The scans of a JPEG file found by walking its markers, entropy-coded data
// stepped over (searched for its next marker, never decoded), so that a decoder
// can be fed only the scans it needs.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "pixels/decode_options.h"
#include "platform/byte_source.h"

namespace nuthumb {

struct ScanHeader {
    std::uint64_t begin = 0;  // where its start-of-scan marker lies
    std::uint64_t end = 0;    // where the marker after its data lies (or the file ends)
    std::array<int, 4> components{};  // indices into the frame's components
    int count = 0;                    // how many of them
    int ss = 0, se = 63, ah = 0, al = 0;
    std::span<const int> component_span() const { return {components.data(), static_cast<std::size_t>(count)}; }
};

struct ScanList {
    std::vector<ScanHeader> scans;
    // The walk reached the end marker or the end of the file and understood every
    // marker on the way; otherwise it stopped at the first it did not (a header
    // the decoder would refuse, a second image), and `scans` are those before it.
    bool complete = false;
};

// Walks from `from`, which lies inside the entropy-coded data of a scan whose
// header the decoder has already read, to the end marker. `component_ids` are
// the frame's component identifiers in order. Stops after `max_scans` scans.
// Throws IoError when the source cannot be read, DecodeCancelled on request.
ScanList ListScans(const ByteSource& source, std::uint64_t from, std::span<const int> component_ids,
                   std::size_t max_scans, const DecodeOptions& options);

}  // namespace nuthumb
