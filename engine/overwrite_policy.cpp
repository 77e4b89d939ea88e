#include "engine/overwrite_policy.h"

#include "platform/path_util.h"

namespace nuthumb {

std::string OverwriteQuestion(const std::string& final_target_path) {
    return "同一ファイルが存在します。上書きしますか?\r\nFilename : " + FileNamePart(final_target_path);
}

bool MayReplaceExisting(RunHost& host, const std::string& final_target_path) {
    switch (host.OverwriteMode()) {
        case 1:
            return true;
        case 2:
            return host.AskOkCancel(OverwriteQuestion(final_target_path));
        default:
            return false;
    }
}

std::string FinalTargetPath(const std::string& target_path, const std::string& target_format) {
    return ReplaceExtension(target_path, target_format == "bmp" ? ".bmp" : ".jpg");
}

}  // namespace nuthumb
