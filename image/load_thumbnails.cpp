#include "image/load_thumbnails.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "codecs/codec_table.h"
#include "image/contained_decode.h"
#include "image/decode_plan.h"
#include "image/decoder_helper.h"
#include "image/load_thumbnail.h"
#include "pixels/load_error.h"

namespace nuthumb {
namespace {

bool ShareDecode(std::span<const Conversion> conversions) {
    const PhotoOptions& first = conversions.front().photo;
    return std::all_of(conversions.begin(), conversions.end(), [&first](const Conversion& conversion) {
        return conversion.resize && conversion.photo.auto_orient == first.auto_orient &&
               conversion.photo.to_srgb == first.to_srgb && conversion.photo.filter == first.filter;
    });
}

// A conversion's plan; where it has no sound result, a one-pixel stand-in of the
// same filter that costs the shared decode nothing, and a note that its
// thumbnail is to be dropped.
PlanOf PlanOrStandIn(const Conversion& conversion, std::shared_ptr<std::vector<bool>> failed, std::size_t i) {
    return [conversion, failed, i](std::int32_t width, std::int32_t height) {
        try {
            return PlanOfConversion(conversion, width, height);
        } catch (const LoadError&) {
            (*failed)[i] = true;
            return DecodePlan{false, 1, 1, conversion.photo.filter == ScaleFilter::kArea};
        }
    };
}

Image Upright(Image image, Orientation turn) { return turn == 1 ? std::move(image) : OrientImage(image, turn); }

// `Source` is a SourceFile where a complex row's decodes go to a helper.
template <class Source>
LoadedThumbnails OneByOne(const Source& source, ImageFormat source_format, std::span<const Conversion> conversions,
                          const DecodeOptions& options) {
    LoadedThumbnails loaded;
    for (const Conversion& conversion : conversions) {
        try {
            Decoded decoded = LoadThumbnail(source, source_format, conversion, options);
            loaded.progressive = decoded.progressive;
            loaded.images.emplace_back(std::move(decoded.image));
        } catch (const DecoderStopped&) {
            // The source stopped its decoder: another size would only do it again.
            throw;
        } catch (const LoadError&) {
            // Damage fails every conversion alike; a size without a sound result
            // fails its own.
            loaded.images.emplace_back();
        }
    }
    return loaded;
}

// A source of which no thumbnail can be made fails as a whole.
LoadedThumbnails AtLeastOne(LoadedThumbnails loaded) {
    if (std::none_of(loaded.images.begin(), loaded.images.end(), [](const auto& image) { return image.has_value(); }))
        throw LoadError("no sound thumbnail");
    return loaded;
}

}  // namespace

LoadedThumbnails LoadThumbnails(const ByteSource& source, ImageFormat source_format,
                                std::span<const Conversion> conversions, const DecodeOptions& options) {
    if (conversions.size() < 2 || !ShareDecode(conversions))
        return AtLeastOne(OneByOne(source, source_format, conversions, options));
    auto failed = std::make_shared<std::vector<bool>>(conversions.size(), false);
    DecodeRequest request = RequestOfConversion(conversions.front());
    request.plan = PlanOrStandIn(conversions.front(), failed, 0);
    for (std::size_t i = 1; i < conversions.size(); ++i) request.more_plans.push_back(PlanOrStandIn(conversions[i], failed, i));
    Decoded decoded = CodecOf(source_format).decode(source, request, options);
    LoadedThumbnails loaded;
    loaded.progressive = decoded.progressive;
    loaded.images.emplace_back(Upright(std::move(decoded.image), decoded.turn));
    for (Image& image : decoded.more) loaded.images.emplace_back(Upright(std::move(image), decoded.turn));
    // A decoder that makes one thumbnail at a time leaves the rest to be loaded
    // here, one by one.
    const std::size_t made = loaded.images.size();
    if (made < conversions.size()) {
        LoadedThumbnails rest = OneByOne(source, source_format, conversions.subspan(made), options);
        for (auto& image : rest.images) loaded.images.push_back(std::move(image));
    }
    for (std::size_t i = 0; i < made; ++i)
        if ((*failed)[i]) loaded.images[i].reset();
    return AtLeastOne(std::move(loaded));
}

LoadedThumbnails LoadThumbnails(const SourceFile& source, ImageFormat source_format,
                                std::span<const Conversion> conversions, const DecodeOptions& options) {
    // A complex row's decode never runs in this process, even for a gallery:
    // each size goes to a helper on its own.
    if (HelpersFor(source_format))
        return AtLeastOne(OneByOne(source, source_format, conversions, options));
    return LoadThumbnails(static_cast<const ByteSource&>(source), source_format, conversions, options);
}

}  // namespace nuthumb
