#include "image/prepare_thumbnails.h"

#include <array>
#include <exception>
#include <utility>

#include "codecs/codec_failure.h"
#include "codecs/codec_table.h"
#include "image/decoder_helper.h"
#include "image/load_thumbnail.h"
#include "image/load_thumbnails.h"
#include "platform/file_io.h"
#include "platform/source_file.h"

namespace nuthumb {
namespace {

using Outcome = PreparedThumbnail::Outcome;

// Every target fails as the source did.
std::vector<PreparedThumbnail> AllFailed(std::size_t count, const PreparedThumbnail& failure) {
    return std::vector<PreparedThumbnail>(count, failure);
}

void Encode(PreparedThumbnail& target, Image&& image, const Conversion& conversion, bool progressive) {
    try {
        target.damage = image.damage;
        const Codec& codec = CodecOf(conversion.target_format);
        if (!codec.writable()) throw EncodeError("not a target format");
        // A progressive JPEG source makes a progressive JPEG target.
        target.target_bytes = codec.encode(std::move(image), {conversion.photo.quality, progressive});
        target.outcome = Outcome::kReady;
    } catch (const std::exception& e) {
        target.outcome = Outcome::kCannotEncode;
        target.reason = e.what();
    }
}

}  // namespace

std::vector<PreparedThumbnail> PrepareThumbnails(const std::string& source_path,
                                                 std::span<const Conversion> conversions,
                                                 const DecodeOptions& options) {
    if (conversions.size() == 1) return {PrepareThumbnail(source_path, conversions.front(), options)};
    PreparedThumbnail failure;
    LoadedThumbnails loaded;
    // Every failure of loading and scaling, memory included, is the source's.
    try {
        const SourceFile source(source_path, kMaxSourceBytes);
        failure.source = source.identity();
        std::array<std::uint8_t, kSniffBytes> head{};
        const std::size_t n = source.ReadAt(0, head);
        const ImageFormat format = DecodedFormatOf({head.data(), n}, SourceFormatOf(source_path));
        loaded = LoadThumbnails(source, format, conversions, options);
    } catch (const DecodeCancelled&) {
        failure.outcome = Outcome::kCancelled;
        return AllFailed(conversions.size(), failure);
    } catch (const IoError& e) {
        failure.outcome = Outcome::kCannotRead;
        failure.reason = e.what();
        return AllFailed(conversions.size(), failure);
    } catch (const DecoderStopped& e) {
        failure.outcome = Outcome::kDamaged;
        failure.reason = e.what();
        return AllFailed(conversions.size(), failure);
    } catch (const std::exception&) {
        failure.outcome = Outcome::kDamaged;
        return AllFailed(conversions.size(), failure);
    }
    std::vector<PreparedThumbnail> targets(conversions.size(), failure);
    for (std::size_t i = 0; i < conversions.size(); ++i)
        if (loaded.images[i]) Encode(targets[i], std::move(*loaded.images[i]), conversions[i], loaded.progressive);
    return targets;
}

}  // namespace nuthumb
