#pragma once
// How a file that fails reaches the user: the box (when load errors are reported),
// the ErrorList, and a one-line reason for hosts that list failures as they come.
#include <string>
#include <string_view>

#include "run/run_host.h"

namespace nuthumb {

// `box` is the message box's text; `reason` says in a few words what went wrong
// with `source_path`.
void ReportFailedFile(RunHost& host, const std::string& source_path, const std::string& box,
                      std::string_view reason);

}  // namespace nuthumb
