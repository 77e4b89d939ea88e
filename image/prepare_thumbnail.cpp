#include "image/prepare_thumbnail.h"

#include <exception>
#include <utility>

#include "pixels/alpha.h"
#include "image/bitmap_writer.h"
#include "codecs/codec_failure.h"
#include "image/format_sniffing.h"
#include "pixels/image.h"
#include "image/jpeg_codec.h"
#include "image/load_thumbnail.h"
#include "codecs/png_writer.h"
#include "codecs/webp_writer.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/source_file.h"

namespace nuthumb {

namespace {

std::vector<std::uint8_t> EncodeTarget(JpegCodec& codec, Image&& image, const Conversion& conversion) {
    switch (conversion.target_format) {
        case ImageFormat::kPng: return EncodePng(image);
        case ImageFormat::kWebp: return EncodeWebp(image, conversion.photo.quality);
        case ImageFormat::kBmp: FlattenOverWhite(image); return ComposeBitmapFile(std::move(image));
        case ImageFormat::kJpeg: FlattenOverWhite(image); return codec.Encode(image, conversion.photo.quality);
        case ImageFormat::kHeic:
        case ImageFormat::kAvif: break;
    }
    throw EncodeError("not a target format");
}

}  // namespace

ImageFormat SourceFormatOf(const std::string& source_path) {
    const std::string extension = ExtensionOf(source_path);
    for (const ImageFormat format : {ImageFormat::kJpeg, ImageFormat::kPng, ImageFormat::kWebp, ImageFormat::kHeic,
                                     ImageFormat::kAvif})
        if (NamesFormat(extension, format)) return format;
    return ImageFormat::kBmp;
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
        thumbnail = LoadThumbnail(codec, source, DecodedFormatOf(source, SourceFormatOf(source_path)), conversion,
                                  options);
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
        prepared.target_bytes = EncodeTarget(codec, std::move(thumbnail), conversion);
        prepared.outcome = Outcome::kReady;
    } catch (const std::exception& e) {
        prepared.outcome = Outcome::kCannotEncode;
        prepared.reason = e.what();
    }
    return prepared;
}

}  // namespace nuthumb
