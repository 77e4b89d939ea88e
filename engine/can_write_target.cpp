#include "engine/can_write_target.h"

#include "engine/overwrite_policy.h"
#include "platform/file_io.h"

namespace nuthumb {

bool CanWriteTarget(RunHost& host, const std::string& target_path, const std::string& target_format) {
    const std::string final_path = FinalTargetPath(target_path, target_format);
    return !FileExists(final_path) || MayReplaceExisting(host, final_path);
}

}  // namespace nuthumb
