#pragma once
// The files of one folder run, listed and named before the first conversion.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "run/run_host.h"
#include "run/thumb_job.h"
#include "run/tree_walk.h"

namespace nuthumb {

struct RunFiles {
    // As listed, in list order: file names, or in a tree the path below the
    // source folder ("2024/05/a.jpg"), which is what a user needs to find one.
    std::vector<std::string> names;
    std::vector<std::string> sources;        // source folder + name
    // Destination folder + the name's folders + prefix + base name + suffix + the
    // source's extension, through FinalTargetName: the one place a run names its
    // targets.
    std::vector<std::string> final_targets;
    // Folders below the source folder that could not be read (tree runs only).
    std::vector<UnreadableFolder> unreadable_folders;
    // The folder below which a tree run makes the target folders it needs; empty
    // for a run of one folder, which makes none.
    std::string made_folders_root;

    // How messages name file i and its target: in a tree, with its folders below
    // the source or destination folder.
    std::string ShownSource(std::size_t i) const { return names[i]; }
    std::string ShownTarget(std::size_t i) const;
};

// `target_path` with its extension replaced by the target format's. An extension
// that already names that format, in any letter case (photo.JPG, photo.jpeg for a
// JPEG target), stays: on a case-sensitive file system a second name would give
// one source two files, or make one source's thumbnail replace another source.
std::string FinalTargetName(std::string_view target_path, ImageFormat target_format);

// Lists the job's source files (ListFiles, with the host's pending messages
// handled; WalkTree for a recursive job, the destination folder passed over) and
// names their targets. Throws IoError when the source folder cannot be read.
RunFiles ListRunFiles(const ThumbJob& job, RunHost& host);

// The sources whose final target is the very file they are (the same folder and
// name, however spelt, or a link to the source): the run would replace them with
// their own thumbnails.
std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files);

// How many sources the job would replace with their own thumbnails under the
// host's overwrite mode: none when it never replaces, or when the source folder
// cannot be listed (the run itself then says why). The listing it made goes
// into `listing` when given, for a run that follows at once (a tree is then
// read once).
std::size_t CountSourcesReplacedByTheirThumbnails(const ThumbJob& job, RunHost& host,
                                                  std::optional<RunFiles>* listing = nullptr);

}  // namespace nuthumb
