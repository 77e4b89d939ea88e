#pragma once
// One file's turn, in the order it happens: is its target a file an earlier file
// of the run wrote, may an existing target be replaced (asked before the source
// is loaded, so a refused file costs no decoding), the load's outcome, the same
// overwrite decision again at save time, the write. A file that fails reaches the
// user one way: the message box (when load errors are reported), its source path
// in the ErrorList, and a one-line reason for hosts that list failures as they
// come.
#include <cstddef>
#include <map>
#include <string>

#include "image/conversion.h"
#include "platform/staged_file.h"
#include "run/run_counts.h"
#include "run/run_files.h"
#include "run/run_host.h"

namespace nuthumb {

class ConversionPipeline;

// The files the run wrote, by device and inode: two names for one file (a link, a
// case-insensitive file system) are one target, and a.bmp and a.BMP on a
// case-sensitive one are two. Listing is case-blind, so a.JPG and a.Jpg are both
// sources of one run and, converted to BMP, both name a.bmp: the later one must
// not replace the earlier one's thumbnail.
class WrittenTargets {
public:
    // Whether `final_path` names (links followed) a file this run wrote.
    bool Contains(const std::string& final_path) const;
    // Whether `node` is a file this run wrote (and, after Remove, still counts so).
    bool Holds(FileNode node) const { return nodes_.contains(node); }
    // `made`: the file counts as made (false for a damaged source's partial
    // thumbnail, which counts as failed).
    void Add(FileNode node, bool made) { nodes_.emplace(node, made); }
    // A file whose publishing failed: it was never written. True when it had
    // counted as made.
    bool Remove(FileNode node) {
        const auto found = nodes_.find(node);
        if (found == nodes_.end()) return false;
        const bool made = found->second;
        nodes_.erase(found);
        return made;
    }

private:
    std::map<FileNode, bool> nodes_;
};

// File `i` of a folder run at its turn. A final target that the run already wrote
// is a failure of this source, shown naming the target. `pipeline` gives the
// prepared file (or is told that it is skipped) and takes the staged target when
// it has a publisher; a target written or handed over goes into `written`.
// Before a write, the target's missing folders below files.made_folders_root are
// made; with the photo option keep_dates the target gets its source's
// modification time. Messages name files as files.ShownSource/ShownTarget do.
// A gallery run's file has a target in each variant's folder, each decided,
// written and counted as a file of a plain run is, in variant order; the file is
// loaded once, unless every target is refused before, and what fails the
// source itself (unreadable, damaged) is shown and recorded once, while every
// target it takes down counts as failed. Returns what became of each target.
std::vector<TurnOutcome> TakeFileTurn(RunHost& host, const RunFiles& files, std::size_t i,
                                      ConversionPipeline& pipeline, WrittenTargets& written);

// The turn of one file outside a folder run: decodes `source_path` (as
// SourceFormatOf says), converts it as `conversion` says and writes it at once
// under FinalTargetName(`target_path`, its target format), replacing an existing
// target only as the host's OverwriteMode allows. Never throws for a bad file or
// a full disk. True when the target was written.
bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   const Conversion& conversion);

// A target that cannot be written keeps its old content (the write goes through a
// staged file); the source is recorded so that the user can find it again. Also
// for a target whose sync or rename failed after its turn.
void ReportWriteFailure(RunHost& host, const std::string& source_path, const std::string& final_path,
                        const std::string& reason);

}  // namespace nuthumb
