#include "image/prepare_steps.h"

#include <array>
#include <exception>
#include <utility>

#include "codecs/codec_failure.h"
#include "codecs/codec_table.h"
#include "image/decoder_helper.h"
#include "image/load_thumbnail.h"
#include "platform/file_io.h"

namespace nuthumb {

bool LoadSource(const std::string& source_path, PreparedThumbnail& prepared,
                const std::function<void(const SourceFile&, ImageFormat)>& load) {
    using Outcome = PreparedThumbnail::Outcome;
    // Every failure of loading and scaling, memory included, is the source's.
    try {
        const SourceFile source(source_path, kMaxSourceBytes);
        prepared.source = source.identity();
        std::array<std::uint8_t, kSniffBytes> head{};
        const std::size_t n = source.ReadAt(0, head);
        load(source, DecodedFormatOf({head.data(), n}, SourceFormatOf(source_path)));
        return true;
    } catch (const DecodeCancelled&) {
        prepared.outcome = Outcome::kCancelled;
    } catch (const IoError& e) {
        // Unreadable is not damaged: the reason is the system's.
        prepared.outcome = Outcome::kCannotRead;
        prepared.reason = e.what();
    } catch (const DecoderStopped& e) {
        // Named like a damaged file, with what became of its decoder.
        prepared.outcome = Outcome::kDamaged;
        prepared.reason = e.what();
    } catch (const std::exception&) {
        prepared.outcome = Outcome::kDamaged;
    }
    return false;
}

void EncodeTarget(PreparedThumbnail& prepared, Image&& image, const Conversion& conversion, bool progressive) {
    try {
        prepared.damage = image.damage;
        const Codec& target = CodecOf(conversion.target_format);
        if (!target.writable()) throw EncodeError("not a target format");
        prepared.target_bytes = target.encode(std::move(image), {conversion.photo.quality, progressive});
        prepared.outcome = PreparedThumbnail::Outcome::kReady;
    } catch (const std::exception& e) {
        prepared.outcome = PreparedThumbnail::Outcome::kCannotEncode;
        prepared.reason = e.what();
    }
}

}  // namespace nuthumb
