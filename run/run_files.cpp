#include "run/run_files.h"

#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "run/list_files.h"

namespace nuthumb {

std::string FinalTargetName(std::string_view target_path, ImageFormat target_format) {
    if (NamesFormat(ExtensionOf(target_path), target_format)) return std::string(target_path);
    return ReplaceExtension(target_path, ExtensionOfFormat(target_format));
}

RunFiles ListRunFiles(const ThumbJob& job, RunHost& host) {
    RunFiles files;
    ListFilesOfFormat(files.names, job.src_dir, job.src_format, host);
    for (const std::string& name : files.names) {
        const std::string extension = ExtensionOf(name);
        const std::string base = name.substr(0, name.size() - extension.size());
        files.sources.push_back(JoinPath(job.src_dir, name));
        files.final_targets.push_back(FinalTargetName(JoinPath(job.dst_dir, job.prefix + base + job.suffix + extension),
                                                      job.conversion.target_format));
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

std::size_t CountSourcesReplacedByTheirThumbnails(const ThumbJob& job, RunHost& host) {
    if (host.LiveOverwriteMode() == OverwriteMode::kNever) return 0;
    try {
        return SourcesThatAreTheirOwnTargets(ListRunFiles(job, host)).size();
    } catch (const IoError&) {
        return 0;
    }
}

}  // namespace nuthumb
