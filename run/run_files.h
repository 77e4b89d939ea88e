#pragma once
// The files of one folder run, listed and named before the first conversion.
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "run/list_files.h"
#include "run/overwrite_mode.h"
#include "run/run_host.h"
#include "run/thumb_job.h"
#include "run/tree_walk.h"

namespace nuthumb {

// A run's one listing: made once, before anything is written, and shared by
// every stage of the run (the check before it, the run, its workers, the note
// after it) by reference; whoever lists owns it for as long as those use it.
struct RunFiles {
    // As listed, in list order: file names, or in a tree the path below the
    // source folder ("2024/05/a.jpg"), which is what a user needs to find one.
    std::vector<std::string> names;
    std::vector<std::string> sources;        // source folder + name
    // Destination folder + the name's folders + prefix + base name + suffix + the
    // source's extension, through FinalTargetName: the one place a run names its
    // targets. A gallery run has a target in each variant's folder: those of
    // source i are final_targets[i * targets_per_source + v], in variant order.
    std::vector<std::string> final_targets;
    std::size_t targets_per_source = 1;
    // The variants' folders below the destination (empty: the destination itself).
    std::vector<std::string> target_folders{""};
    // Folders below the source folder that could not be read (tree runs only).
    std::vector<UnreadableFolder> unreadable_folders;
    // The folder below which a tree run makes the target folders it needs; empty
    // for a run of one folder, which makes none.
    std::string made_folders_root;
    // The images of the folders listed that the run passes over, counted while
    // listing, so the run's own thumbnails are never among them.
    PassedOverImages passed_over;

    // How messages name file i and its target: in a tree, with its folders below
    // the source or destination folder.
    std::string ShownSource(std::size_t i) const { return names[i]; }
    std::string ShownTarget(std::size_t i, std::size_t v = 0) const;
    const std::string& FinalTarget(std::size_t i, std::size_t v = 0) const {
        return final_targets[i * targets_per_source + v];
    }
};

// `target_path` with its extension replaced by the target format's. An extension
// that already names that format, in any letter case (photo.JPG, photo.jpeg for a
// JPEG target), stays: on a case-sensitive file system a second name would give
// one source two files, or make one source's thumbnail replace another source.
std::string FinalTargetName(std::string_view target_path, ImageFormat target_format);

// Lists the job's source files (RunNameKind, with the host's pending messages
// handled; WalkTree for a recursive job, the destination folder passed over),
// names their targets and counts the images passed over, reading each folder
// once. Throws IoError when the source folder cannot be read.
RunFiles ListRunFiles(const ThumbJob& job, RunHost& host);

// The sources whose final target is the very file they are (the same folder and
// name, however spelt, or a link to the source): the run would replace them with
// their own thumbnails.
std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files);

// How many sources of `files` the run would replace with their own thumbnails
// under `mode`: none when it never replaces.
std::size_t CountSourcesReplacedByTheirThumbnails(const RunFiles& files, OverwriteMode mode);
// The same for a job listed only for this count (a batch asks before its first
// entry, and an entry may write into a later entry's source folder, so each is
// listed again at its turn): none also when the source folder cannot be listed
// (the run itself then says why).
std::size_t CountSourcesReplacedByTheirThumbnails(const ThumbJob& job, RunHost& host);

}  // namespace nuthumb
