#include "engine/make_thumbnail.h"

#include <exception>
#include <vector>

#include "engine/bitmap_writer.h"
#include "engine/bmp_reader.h"
#include "engine/conversion_messages.h"
#include "engine/geometry.h"
#include "engine/image.h"
#include "engine/jpeg_codec.h"
#include "engine/load_error.h"
#include "engine/scaler.h"
#include "engine/target_decision.h"
#include "platform/file_io.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

ThumbnailSize SoundSize(std::int32_t width, std::int32_t height, std::int32_t size,
                        EffectiveBasis basis) {
    const auto scaled = ScaledSize(width, height, size, basis);
    if (!scaled) throw LoadError("no sound thumbnail size");
    return *scaled;
}

// A JPEG source is scaled while it decodes, so its full-size image is never held.
Image LoadJpegThumbnail(JpegCodec& codec, std::vector<std::uint8_t> file, std::int32_t size,
                        std::int32_t basis, std::uint8_t resize_flag) {
    codec.ReadHeader(std::move(file));
    const EffectiveBasis effective =
        EffectiveBasisOf(resize_flag, basis, codec.width(), codec.height());
    Image thumbnail;
    if (effective == EffectiveBasis::kCopy) {
        thumbnail = codec.DecodeImage();
    } else {
        const ThumbnailSize scaled = SoundSize(codec.width(), codec.height(), size, effective);
        thumbnail = codec.DecodeThumbnail(scaled.width, scaled.height);
    }
    codec.ReleaseSource();
    return thumbnail;
}

Image LoadBitmapThumbnail(std::vector<std::uint8_t> file, std::int32_t size, std::int32_t basis,
                          std::uint8_t resize_flag) {
    Image source = LoadBitmap(file);
    file = {};
    const EffectiveBasis effective =
        EffectiveBasisOf(resize_flag, basis, source.width, source.height);
    // An empty image has no form to write, whatever the target.
    if (source.empty()) throw LoadError("empty image");
    if (effective == EffectiveBasis::kCopy) return source;
    const ThumbnailSize scaled = SoundSize(source.width, source.height, size, effective);
    return StretchToThumbnail(source, scaled.width, scaled.height);
}

}  // namespace

bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   std::int32_t size, std::int32_t basis, const std::string& target_format,
                   std::uint8_t resize_flag) {
    JpegCodec codec;
    Image thumbnail;
    // Every failure of loading and scaling, memory included, is the source's: it is
    // reported and recorded, and the run goes on.
    try {
        std::vector<std::uint8_t> file = ReadWholeFile(source_path);
        if (AsciiLower(ExtensionOf(source_path)) == ".jpg")
            thumbnail = LoadJpegThumbnail(codec, std::move(file), size, basis, resize_flag);
        else
            thumbnail = LoadBitmapThumbnail(std::move(file), size, basis, resize_flag);
    } catch (const std::exception&) {
        if (host.ReportLoadErrors()) host.ShowError(kLoadFailureMessage + FileNamePart(source_path));
        host.AppendError(source_path);
        return false;
    }

    const bool bitmap_target = target_format == "bmp";
    const std::string final_path = FinalTargetName(target_path, target_format);
    if (!MayWriteTarget(host, final_path)) return false;
    // A target that cannot be written keeps its old content (the write goes through
    // a temporary file); the source is recorded so the user can find it again.
    try {
        if (bitmap_target)
            SaveBitmapFile(thumbnail, final_path);
        else
            WriteFileAtomic(final_path, codec.Encode(thumbnail));
        return true;
    } catch (const std::exception& e) {
        if (host.ReportLoadErrors())
            host.ShowError(kWriteFailureMessage + FileNamePart(final_path) + "\r\n" + e.what());
        host.AppendError(source_path);
        return false;
    }
}

}  // namespace nuthumb
