#pragma once
// One folder run: the job that the window's individual tab, a batch entry and the
// command line each describe, built once from what each of them stores.
#include <string>

#include "image/conversion.h"
#include "run/source_choice.h"

namespace nuthumb {

struct ThumbJob {
    std::string src_dir, dst_dir;  // used as given: the drive-root rule is applied before
    SourceChoice src_format = ImageFormat::kJpeg;  // nothing: every readable format
    std::string prefix, suffix;    // target name: prefix + base name + suffix + extension
    Conversion conversion;         // target format, size, basis, resize
    // Also every folder below src_dir (hidden ones and links to folders aside),
    // each thumbnail at the same relative place under dst_dir.
    bool recursive = false;
    bool operator==(const ThumbJob&) const = default;
};

}  // namespace nuthumb
