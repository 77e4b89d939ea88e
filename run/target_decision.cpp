#include "run/target_decision.h"

#include "run/conversion_messages.h"
#include "platform/file_io.h"
#include "platform/message_name.h"
#include "platform/path_util.h"

namespace nuthumb {

std::string FinalTargetName(std::string_view target_path, ImageFormat target_format) {
    if (NamesFormat(ExtensionOf(target_path), target_format)) return std::string(target_path);
    return ReplaceExtension(target_path, ExtensionOfFormat(target_format));
}

bool MayWriteTarget(RunHost& host, const std::string& final_path) {
    if (!FileExists(final_path)) return true;
    switch (host.LiveOverwriteMode()) {
        case OverwriteMode::kAlways:
            return true;
        case OverwriteMode::kAsk:
            return host.AskOkCancel(MessageWithName(Tr(kOverwriteQuestion), FileNamePart(final_path)));
        case OverwriteMode::kNever:
            break;
    }
    return false;
}

}  // namespace nuthumb
