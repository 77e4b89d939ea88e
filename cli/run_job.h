#pragma once
#include "cli/cli_options.h"

namespace nuthumb {

// Resolves the job, checks its folders, runs it with a terminal host, reports the
// result and writes the --error-list file. Returns the exit status.
int RunJob(const CliOptions& options);

}  // namespace nuthumb
