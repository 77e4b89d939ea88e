#include "image/prepare_thumbnails.h"

#include <utility>

#include "image/load_thumbnails.h"
#include "image/prepare_steps.h"

namespace nuthumb {

std::vector<PreparedThumbnail> PrepareThumbnails(const std::string& source_path,
                                                 std::span<const Conversion> conversions,
                                                 const DecodeOptions& options) {
    if (conversions.size() == 1) return {PrepareThumbnail(source_path, conversions.front(), options)};
    PreparedThumbnail failure;
    LoadedThumbnails loaded;
    // A source that fails, fails every target alike.
    if (!LoadSource(source_path, failure, [&](const SourceFile& source, ImageFormat format) {
            loaded = LoadThumbnails(source, format, conversions, options);
        }))
        return std::vector<PreparedThumbnail>(conversions.size(), failure);
    std::vector<PreparedThumbnail> targets(conversions.size(), failure);
    for (std::size_t i = 0; i < conversions.size(); ++i)
        if (loaded.images[i]) EncodeTarget(targets[i], std::move(*loaded.images[i]), conversions[i], loaded.progressive);
    return targets;
}

}  // namespace nuthumb
