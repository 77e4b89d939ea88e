#include "image/prepare_thumbnail.h"

#include <utility>

#include "codecs/codec_table.h"
#include "image/load_thumbnail.h"
#include "image/prepare_steps.h"
#include "platform/path_util.h"

namespace nuthumb {

ImageFormat SourceFormatOf(const std::string& source_path) {
    return FormatOfExtension(ExtensionOf(source_path)).value_or(ImageFormat::kBmp);
}

PreparedThumbnail PrepareThumbnail(const std::string& source_path, const Conversion& conversion,
                                   const DecodeOptions& options) {
    PreparedThumbnail prepared;
    Decoded decoded;
    if (!LoadSource(source_path, prepared, [&](const SourceFile& source, ImageFormat format) {
            decoded = LoadThumbnail(source, format, conversion, options);
        }))
        return prepared;
    EncodeTarget(prepared, std::move(decoded.image), conversion, decoded.progressive);
    return prepared;
}

}  // namespace nuthumb
