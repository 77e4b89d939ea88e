#include "run/target_decision.h"

#include "run/conversion_messages.h"
#include "platform/file_io.h"
#include "platform/path_util.h"

namespace nuthumb {

std::string FinalTargetName(std::string_view target_path, std::string_view target_format) {
    const std::string_view extension = target_format == "bmp" ? ".bmp" : ".jpg";
    if (AsciiLower(ExtensionOf(target_path)) == extension) return std::string(target_path);
    return ReplaceExtension(target_path, extension);
}

bool MayWriteTarget(RunHost& host, const std::string& final_path) {
    if (!FileExists(final_path)) return true;
    switch (host.OverwriteMode()) {
        case 1:
            return true;
        case 2:
            return host.AskOkCancel(kOverwriteQuestion + FileNamePart(final_path));
        default:
            return false;
    }
}

}  // namespace nuthumb
