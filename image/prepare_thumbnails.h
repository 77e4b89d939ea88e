#pragma once
// The targets of one source in a gallery run: several sizes and formats from
// one decode.
#include <span>
#include <string>
#include <vector>

#include "image/conversion.h"
#include "image/prepare_thumbnail.h"
#include "pixels/decode_options.h"

namespace nuthumb {

// PrepareThumbnail for each of `conversions`, in their order, the source read
// and decoded once (LoadThumbnails): what fails the source (it cannot be read,
// is damaged, the decode was cancelled) fails every target alike; a conversion
// without a sound size for the picture, or an encode that fails, fails its own
// target. One conversion is exactly PrepareThumbnail. Never throws.
std::vector<PreparedThumbnail> PrepareThumbnails(const std::string& source_path,
                                                 std::span<const Conversion> conversions,
                                                 const DecodeOptions& options);

}  // namespace nuthumb
