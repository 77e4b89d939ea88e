#pragma once
// The overwrite pre-check of the folder run, made before a source is loaded so
// that a refused file costs no decoding.
#include <string>

#include "image/conversion.h"
#include "run/run_host.h"

namespace nuthumb {

// True when `target_path` (the composed name, still ending in the source's
// extension) may be written in `target_format`: when no file of the final name
// exists (a folder of that name does not count), or the host's OverwriteMode,
// read now, permits replacing it.
bool CanWriteTarget(RunHost& host, const std::string& target_path, ImageFormat target_format);

}  // namespace nuthumb
