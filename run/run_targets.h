#pragma once
// The targets one folder run has written, and the per-file decision that keeps
// them. Listing is case-blind, so a.JPG and a.Jpg are both sources of one run and,
// converted to BMP, both name a.bmp: the later one must not replace the earlier
// one's thumbnail.
#include <set>
#include <string>

#include "image/conversion.h"
#include "platform/staged_file.h"
#include "run/run_host.h"

namespace nuthumb {

// The files the run wrote, by device and inode: two names for one file (a link, a
// case-insensitive file system) are one target, and a.bmp and a.BMP on a
// case-sensitive one are two.
class WrittenTargets {
public:
    // Whether `final_path` names (links followed) a file this run wrote.
    bool Contains(const std::string& final_path) const;
    void Add(FileNode node) { nodes_.insert(node); }
    // A file whose publishing failed: it was never written.
    void Remove(FileNode node) { nodes_.erase(node); }

private:
    std::set<FileNode> nodes_;
};

// Whether one listed file may be converted, decided before anything is loaded. A
// final target name that the run already wrote is a failure of this source: a
// message naming the target when the host reports load errors, and the source path
// in the ErrorList. Otherwise the overwrite pre-check, CanWriteTarget, decides.
bool MayConvertInRun(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, const WrittenTargets& written);

}  // namespace nuthumb
