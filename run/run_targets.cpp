#include "run/run_targets.h"

#include "run/can_write_target.h"
#include "run/conversion_messages.h"
#include "run/failed_file.h"
#include "run/target_decision.h"
#include "platform/path_util.h"

namespace nuthumb {

bool MayConvertInRun(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, const WrittenTargets& written) {
    const std::string final_path = FinalTargetName(target_path, target_format);
    if (written.Contains(final_path)) {
        ReportFailedFile(host, source_path, Tr(kTargetTakenMessage) + FileNamePart(final_path),
                         Fill(Tr("サムネイル {} はこの実行の前のファイルのために書き込まれました"), {final_path}));
        return false;
    }
    return CanWriteTarget(host, target_path, target_format);
}

}  // namespace nuthumb
