#include "image/prepare_thumbnail.h"

#include <exception>
#include <utility>

#include "image/bitmap_writer.h"
#include "image/image.h"
#include "image/jpeg_codec.h"
#include "image/load_thumbnail.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/source_file.h"

namespace nuthumb {

ImageFormat SourceFormatOf(const std::string& source_path) {
    return NamesFormat(ExtensionOf(source_path), ImageFormat::kJpeg) ? ImageFormat::kJpeg : ImageFormat::kBmp;
}

PreparedThumbnail PrepareThumbnail(const std::string& source_path, const Conversion& conversion,
                                   const DecodeOptions& options) {
    using Outcome = PreparedThumbnail::Outcome;
    PreparedThumbnail prepared;
    // One codec object serves both ends: a progressive JPEG source makes a
    // progressive JPEG target.
    JpegCodec codec;
    Image thumbnail;
    // Every failure of loading and scaling, memory included, is the source's.
    try {
        const SourceFile source(source_path, kMaxSourceBytes);
        prepared.source = source.identity();
        thumbnail = LoadThumbnail(codec, source, SourceFormatOf(source_path), conversion, options);
    } catch (const DecodeCancelled&) {
        prepared.outcome = Outcome::kCancelled;
        return prepared;
    } catch (const IoError& e) {
        // Unreadable is not damaged: the reason is the system's.
        prepared.outcome = Outcome::kCannotRead;
        prepared.reason = e.what();
        return prepared;
    } catch (const std::exception&) {
        prepared.outcome = Outcome::kDamaged;
        return prepared;
    }
    try {
        prepared.damage = thumbnail.damage;
        prepared.target_bytes = conversion.target_format == ImageFormat::kBmp
                                    ? ComposeBitmapFile(std::move(thumbnail))
                                    : codec.Encode(thumbnail, conversion.photo.quality);
        prepared.outcome = Outcome::kReady;
    } catch (const std::exception& e) {
        prepared.outcome = Outcome::kCannotEncode;
        prepared.reason = e.what();
    }
    return prepared;
}

}  // namespace nuthumb
