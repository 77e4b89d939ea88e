#include "image/load_thumbnail.h"

#include <utility>

#include "codecs/codec_table.h"
#include "image/contained_decode.h"
#include "image/decode_plan.h"

namespace nuthumb {

namespace {

// The size and basis apply to the picture as shown; the thumbnail is made in
// the stored orientation (the picks seen from the side the turn puts first, or
// the area filter, which commutes with turning) and turned here at the end, so
// only an unscaled copy is turned whole.
Decoded Upright(Decoded decoded) {
    if (decoded.turn != 1) {
        decoded.image = OrientImage(decoded.image, decoded.turn);
        decoded.turn = 1;
    }
    return decoded;
}

}  // namespace

Decoded LoadThumbnail(const ByteSource& source, ImageFormat source_format, const Conversion& conversion,
                      const DecodeOptions& options) {
    return Upright(CodecOf(source_format).decode(source, RequestOfConversion(conversion), options));
}

Decoded LoadThumbnail(const SourceFile& source, ImageFormat source_format, const Conversion& conversion,
                      const DecodeOptions& options) {
    DecoderHelpers* helpers = HelpersFor(source_format);
    if (!helpers)
        return LoadThumbnail(static_cast<const ByteSource&>(source), source_format, conversion, options);
    return Upright(helpers->Decode(source, source_format, conversion, options));
}

}  // namespace nuthumb
