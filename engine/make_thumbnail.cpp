#include "engine/make_thumbnail.h"

#include <exception>

#include "engine/bitmap_writer.h"
#include "engine/conversion_messages.h"
#include "engine/image.h"
#include "engine/jpeg_codec.h"
#include "engine/load_thumbnail.h"
#include "engine/target_decision.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/source_file.h"

namespace nuthumb {

bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   std::int32_t size, std::int32_t basis, const std::string& target_format,
                   std::uint8_t resize_flag) {
    JpegCodec codec;
    Image thumbnail;
    // Every failure of loading and scaling, memory included, is the source's: it is
    // reported and recorded, and the run goes on.
    try {
        const SourceFile source(source_path, kMaxSourceBytes);
        const DecodeOptions options{[&host] { return host.StopRequested(); }};
        thumbnail = LoadThumbnail(codec, source, AsciiLower(ExtensionOf(source_path)) == ".jpg", size, basis,
                                  resize_flag, options);
    } catch (const DecodeCancelled&) {
        // Not the file's fault, so not recorded; the run stops after this file.
        host.SetCancelFlag(true);
        return false;
    } catch (const IoError& e) {
        // Unreadable is not damaged: say what the system said.
        if (host.ReportLoadErrors())
            host.ShowError(kReadFailureMessage + FileNamePart(source_path) + "\r\n" + e.what());
        host.AppendError(source_path);
        return false;
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
