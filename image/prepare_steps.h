#pragma once
// The two steps every prepared target goes through, shared by the one-target
// and the several-targets paths so that both fail a source alike.
#include <functional>
#include <string>

#include "codecs/image_format.h"
#include "image/conversion.h"
#include "image/prepare_thumbnail.h"
#include "pixels/image.h"
#include "platform/source_file.h"

namespace nuthumb {

// Opens `source_path`, finds its format (DecodedFormatOf, else SourceFormatOf)
// and runs `load` on both. False when that failed: `prepared` then says how
// (cancelled, unreadable with the system's reason, damaged with the stopped
// decoder's reason). `prepared.source` is the file as opened, either way.
bool LoadSource(const std::string& source_path, PreparedThumbnail& prepared,
                const std::function<void(const SourceFile&, ImageFormat)>& load);

// Encodes `image` as the conversion's target into `prepared` (kReady, or
// kCannotEncode with the reason). A progressive JPEG source makes a progressive
// JPEG target.
void EncodeTarget(PreparedThumbnail& prepared, Image&& image, const Conversion& conversion, bool progressive);

}  // namespace nuthumb
