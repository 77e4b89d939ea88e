#include "image/load_thumbnail.h"

#include <utility>

#include "codecs/codec_table.h"
#include "image/decode_plan.h"

namespace nuthumb {

// The size and basis apply to the picture as shown; the thumbnail is made in
// the stored orientation (the picks seen from the side the turn puts first, or
// the area filter, which commutes with turning) and turned here at the end, so
// only an unscaled copy is turned whole.
Decoded LoadThumbnail(const ByteSource& source, ImageFormat source_format, const Conversion& conversion,
                      const DecodeOptions& options) {
    Decoded decoded = CodecOf(source_format).decode(source, RequestOfConversion(conversion), options);
    if (decoded.turn != 1) {
        decoded.image = OrientImage(decoded.image, decoded.turn);
        decoded.turn = 1;
    }
    return decoded;
}

}  // namespace nuthumb
