#include "run/can_write_target.h"

#include "run/target_decision.h"

namespace nuthumb {

bool CanWriteTarget(RunHost& host, const std::string& target_path, ImageFormat target_format) {
    // The same decision the conversion makes again at save time.
    return MayWriteTarget(host, FinalTargetName(target_path, target_format));
}

}  // namespace nuthumb
