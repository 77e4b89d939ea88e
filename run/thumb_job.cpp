#include "run/thumb_job.h"

namespace nuthumb {

std::vector<Conversion> ConversionsOf(const ThumbJob& job) {
    if (job.variants.empty()) return {job.conversion};
    std::vector<Conversion> conversions;
    for (const Variant& variant : job.variants) conversions.push_back(variant.conversion);
    return conversions;
}

}  // namespace nuthumb
