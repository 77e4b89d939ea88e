#pragma once
#include "cli/cli_options.h"

namespace nuthumb {

// Runs the settings file's batch list (--batch) or a batch file (--batch-file)
// with a terminal host, printing each log line on stdout as it is written, then
// writes the --error-list file and the counts. Returns the exit status.
int RunBatchCommand(const CliOptions& options);

}  // namespace nuthumb
