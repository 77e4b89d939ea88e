#pragma once
// The files of one folder run, listed and named before the first conversion.
#include <string>
#include <vector>

#include "run/run_host.h"
#include "run/thumb_job.h"

namespace nuthumb {

struct RunFiles {
    std::vector<std::string> names;          // as listed: file names in list order
    std::vector<std::string> sources;        // source folder + name
    std::vector<std::string> targets;        // prefix + base name + suffix + the source's extension
    std::vector<std::string> final_targets;  // FinalTargetName of each target
};

// Lists the job's source files (ListFiles, with the host's pending messages
// handled) and names their targets. Throws IoError when the source folder cannot
// be read.
RunFiles ListRunFiles(const ThumbJob& job, RunHost& host);

// The sources whose final target is the very file they are (the same folder and
// name, however spelt, or a link to the source): the run would replace them with
// their own thumbnails.
std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files);

}  // namespace nuthumb
