#pragma once
// The one decision about an existing target, made by the pre-check before a
// source is loaded and again by the conversion before it saves.
#include <string>

#include "engine/run_host.h"

namespace nuthumb {

// The question asked in OverwriteMode 2 for the final target name.
std::string OverwriteQuestion(const std::string& final_target_path);

// Whether the existing file `final_target_path` may be replaced, by the host's
// OverwriteMode read now: 1 yes, 2 asks (OK means yes), any other value no.
bool MayReplaceExisting(RunHost& host, const std::string& final_target_path);

// The name actually written: the target name with its extension replaced by
// ".bmp" for target format "bmp", ".jpg" for any other text.
std::string FinalTargetPath(const std::string& target_path, const std::string& target_format);

}  // namespace nuthumb
