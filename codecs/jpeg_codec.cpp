#include "codecs/jpeg_codec.h"

#include <utility>

#include "codecs/jpeg_decoder.h"
#include "pixels/nearest_map.h"

namespace nuthumb {

bool IsJpeg(std::span<const std::uint8_t> head) {
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

// Only the picks are converted into sRGB, which is converting before picking;
// the area filter converts its rows before it averages them.
Image DecodeJpegPlan(JpegDecoder& decoder, const DecodePlan& plan) {
    if (!plan.whole && plan.area) return decoder.DecodeArea(plan.width, plan.height);
    Image image = plan.whole ? decoder.DecodeImage()
                             : decoder.DecodeSampled(PickMap(decoder.width(), plan.width, plan.flip_x),
                                                     PickMap(decoder.height(), plan.height, plan.flip_y));
    if (decoder.colour()) decoder.colour()->Convert(image);
    return image;
}

Decoded DecodeJpeg(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    JpegDecoder decoder(source, options, request.auto_orient, request.to_srgb);
    const DecodePlan plan = request.PlanFor(decoder.width(), decoder.height(), decoder.orientation());
    options.ReserveMemory(decoder.WorkingMemory(plan.whole));
    Image image = DecodeJpegPlan(decoder, plan);
    return {std::move(image), decoder.orientation(), decoder.progressive()};
}

}  // namespace nuthumb
