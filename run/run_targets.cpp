#include "run/run_targets.h"

#include <sys/stat.h>

#include "run/can_write_target.h"
#include "run/conversion_messages.h"
#include "run/failed_file.h"
#include "run/target_decision.h"
#include "platform/message_name.h"
#include "platform/path_util.h"

namespace nuthumb {

bool WrittenTargets::Contains(const std::string& final_path) const {
    struct stat st {};
    if (nodes_.empty() || ::stat(final_path.c_str(), &st) != 0) return false;
    return nodes_.contains({static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
}

bool MayConvertInRun(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, const WrittenTargets& written) {
    const std::string final_path = FinalTargetName(target_path, target_format);
    if (written.Contains(final_path)) {
        ReportFailedFile(host, source_path, MessageWithName(Tr(kTargetTakenMessage), FileNamePart(final_path)),
                         Fill(Tr("サムネイル {} はこの実行の前のファイルのために書き込まれました"),
                              {NameForMessage(final_path)}));
        return false;
    }
    return CanWriteTarget(host, target_path, target_format);
}

}  // namespace nuthumb
