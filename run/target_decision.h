#pragma once
// The final target name and whether an existing file of that name may be replaced:
// asked by the folder run before loading and by the conversion again at save time.
#include <string>
#include <string_view>

#include "image/conversion.h"
#include "run/run_host.h"

namespace nuthumb {

// `target_path` with its extension replaced by the target format's. An extension
// that already names that format, in any letter case (photo.JPG, photo.jpeg for a
// JPEG target), stays: on a case-sensitive file system a second name would give
// one source two files, or make one source's thumbnail replace another source.
std::string FinalTargetName(std::string_view target_path, ImageFormat target_format);

// True when no file of that name exists (a folder does not count), or the host's
// live OverwriteMode allows replacing it (asking names the file).
bool MayWriteTarget(RunHost& host, const std::string& final_path);

}  // namespace nuthumb
