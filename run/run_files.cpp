#include "run/run_files.h"

#include "platform/file_identity.h"
#include "platform/path_util.h"
#include "run/list_files.h"
#include "run/target_decision.h"

namespace nuthumb {

RunFiles ListRunFiles(const ThumbJob& job, RunHost& host) {
    RunFiles files;
    ListFilesOfFormat(files.names, job.src_dir, job.src_format, host);
    for (const std::string& name : files.names) {
        const std::string extension = ExtensionOf(name);
        const std::string base = name.substr(0, name.size() - extension.size());
        files.sources.push_back(JoinPath(job.src_dir, name));
        files.targets.push_back(JoinPath(job.dst_dir, job.prefix + base + job.suffix + extension));
        files.final_targets.push_back(FinalTargetName(files.targets.back(), job.conversion.target_format));
    }
    return files;
}

std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files) {
    std::vector<std::string> own;
    for (std::size_t i = 0; i < files.sources.size(); ++i) {
        const std::optional<FileIdentity> source = IdentityOf(files.sources[i]);
        const std::optional<FileIdentity> target = IdentityOf(files.final_targets[i]);
        if (source && target && source->device == target->device && source->inode == target->inode)
            own.push_back(files.sources[i]);
    }
    return own;
}

}  // namespace nuthumb
