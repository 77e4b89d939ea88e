#pragma once
// The files of one folder run, listed and named before the first conversion.
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "run/run_host.h"
#include "run/thumb_job.h"

namespace nuthumb {

struct RunFiles {
    std::vector<std::string> names;          // as listed: file names in list order
    std::vector<std::string> sources;        // source folder + name
    // Destination folder + prefix + base name + suffix + the source's extension,
    // through FinalTargetName: the one place a run names its targets.
    std::vector<std::string> final_targets;
};

// `target_path` with its extension replaced by the target format's. An extension
// that already names that format, in any letter case (photo.JPG, photo.jpeg for a
// JPEG target), stays: on a case-sensitive file system a second name would give
// one source two files, or make one source's thumbnail replace another source.
std::string FinalTargetName(std::string_view target_path, ImageFormat target_format);

// Lists the job's source files (ListFiles, with the host's pending messages
// handled) and names their targets. Throws IoError when the source folder cannot
// be read.
RunFiles ListRunFiles(const ThumbJob& job, RunHost& host);

// The sources whose final target is the very file they are (the same folder and
// name, however spelt, or a link to the source): the run would replace them with
// their own thumbnails.
std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files);

// How many sources the job would replace with their own thumbnails under the
// host's overwrite mode: none when it never replaces, or when the source folder
// cannot be listed (the run itself then says why).
std::size_t CountSourcesReplacedByTheirThumbnails(const ThumbJob& job, RunHost& host);

}  // namespace nuthumb
