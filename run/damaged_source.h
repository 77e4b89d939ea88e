#pragma once
// A source that decoded only in part: its target is made as far as the data goes,
// but the file is named with the reason, like a load failure, and counts as failed.
#include <string>

#include "image/source_damage.h"
#include "run/run_host.h"

namespace nuthumb {

// Shows (when load errors are reported), records and notes `source_path` unless
// `damage` is kNone.
void ReportDamagedSource(RunHost& host, const std::string& source_path, SourceDamage damage);

}  // namespace nuthumb
