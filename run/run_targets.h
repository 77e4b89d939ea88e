#pragma once
// The targets one folder run has written, and the per-file decision that keeps
// them. Listing is case-blind, so a.JPG and a.Jpg are both sources of one run and,
// converted to BMP, both name a.bmp: the later one must not replace the earlier
// one's thumbnail.
#include <string>
#include <unordered_set>

#include "image/conversion.h"
#include "run/run_host.h"

namespace nuthumb {

// Final target paths, compared byte for byte: Linux file names are case-sensitive,
// so a.bmp and a.BMP are two files.
class WrittenTargets {
public:
    bool Contains(const std::string& final_path) const { return paths_.contains(final_path); }
    void Add(const std::string& final_path) { paths_.insert(final_path); }

private:
    std::unordered_set<std::string> paths_;
};

// Whether one listed file may be converted, decided before anything is loaded. A
// final target name that the run already wrote is a failure of this source: a
// message naming the target when the host reports load errors, and the source path
// in the ErrorList. Otherwise the overwrite pre-check, CanWriteTarget, decides.
bool MayConvertInRun(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, const WrittenTargets& written);

}  // namespace nuthumb
