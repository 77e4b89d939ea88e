#include "image/prepare_thumbnail.h"

#include <array>
#include <exception>
#include <utility>

#include "codecs/codec_failure.h"
#include "codecs/codec_table.h"
#include "image/contained_decode.h"
#include "image/load_thumbnail.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/source_file.h"

namespace nuthumb {

ImageFormat SourceFormatOf(const std::string& source_path) {
    return FormatOfExtension(ExtensionOf(source_path)).value_or(ImageFormat::kBmp);
}

PreparedThumbnail PrepareThumbnail(const std::string& source_path, const Conversion& conversion,
                                   const DecodeOptions& options) {
    using Outcome = PreparedThumbnail::Outcome;
    PreparedThumbnail prepared;
    Decoded decoded;
    // Every failure of loading and scaling, memory included, is the source's.
    try {
        const SourceFile source(source_path, kMaxSourceBytes);
        prepared.source = source.identity();
        std::array<std::uint8_t, kSniffBytes> head{};
        const std::size_t n = source.ReadAt(0, head);
        const ImageFormat format = DecodedFormatOf({head.data(), n}, SourceFormatOf(source_path));
        decoded = LoadThumbnail(source, format, conversion, options);
    } catch (const DecodeCancelled&) {
        prepared.outcome = Outcome::kCancelled;
        return prepared;
    } catch (const IoError& e) {
        // Unreadable is not damaged: the reason is the system's.
        prepared.outcome = Outcome::kCannotRead;
        prepared.reason = e.what();
        return prepared;
    } catch (const DecoderStopped& e) {
        // Named like a damaged file, with what became of its decoder.
        prepared.outcome = Outcome::kDamaged;
        prepared.reason = e.what();
        return prepared;
    } catch (const std::exception&) {
        prepared.outcome = Outcome::kDamaged;
        return prepared;
    }
    try {
        prepared.damage = decoded.image.damage;
        const Codec& target = CodecOf(conversion.target_format);
        if (!target.writable()) throw EncodeError("not a target format");
        // A progressive JPEG source makes a progressive JPEG target.
        prepared.target_bytes = target.encode(std::move(decoded.image), {conversion.photo.quality, decoded.progressive});
        prepared.outcome = Outcome::kReady;
    } catch (const std::exception& e) {
        prepared.outcome = Outcome::kCannotEncode;
        prepared.reason = e.what();
    }
    return prepared;
}

}  // namespace nuthumb
