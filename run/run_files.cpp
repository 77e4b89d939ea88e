#include "run/run_files.h"

#include "codecs/codec_table.h"
#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "run/list_files.h"

namespace nuthumb {

std::string FinalTargetName(std::string_view target_path, ImageFormat target_format) {
    if (NamesFormat(ExtensionOf(target_path), target_format)) return std::string(target_path);
    return ReplaceExtension(target_path, ExtensionOfFormat(target_format));
}

std::string RunFiles::ShownTarget(std::size_t i, std::size_t v) const {
    const std::size_t slash = names[i].rfind('/');
    const std::string name = FileNamePart(FinalTarget(i, v));
    const std::string below =
        slash == std::string::npos ? name : JoinPath(std::string_view(names[i]).substr(0, slash), name);
    return target_folders[v].empty() ? below : JoinPath(target_folders[v], below);
}

namespace {

// `relative` is the file's folder below the source folder ("" for the top).
void AddTarget(RunFiles& files, const std::string& folder, const std::string& relative, const std::string& name,
               const std::string& prefix, const std::string& suffix, ImageFormat format) {
    const std::string extension = ExtensionOf(name);
    const std::string base = name.substr(0, name.size() - extension.size());
    const std::string target_name = prefix + base + suffix + extension;
    files.final_targets.push_back(
        FinalTargetName(JoinPath(folder, relative.empty() ? target_name : JoinPath(relative, target_name)), format));
}

void AddFile(RunFiles& files, const ThumbJob& job, const std::string& relative, const std::string& name) {
    std::string listed = relative.empty() ? name : JoinPath(relative, name);
    files.sources.push_back(JoinPath(job.src_dir, listed));
    if (job.variants.empty())
        AddTarget(files, job.dst_dir, relative, name, job.prefix, job.suffix, job.conversion.target_format);
    for (const Variant& variant : job.variants)
        AddTarget(files, JoinPath(job.dst_dir, variant.name), relative, name, variant.prefix, variant.suffix,
                  variant.conversion.target_format);
    files.names.push_back(std::move(listed));
}

// A gallery run makes its variants' folders in the destination, in a run of one
// folder too.
void SetUpTargets(RunFiles& files, const ThumbJob& job) {
    if (job.variants.empty()) return;
    files.targets_per_source = job.variants.size();
    files.target_folders.clear();
    for (const Variant& variant : job.variants) files.target_folders.push_back(variant.name);
    files.made_folders_root = job.dst_dir;
}

}  // namespace

RunFiles ListRunFiles(const ThumbJob& job, RunHost& host) {
    RunFiles files;
    SetUpTargets(files, job);
    const SourceChoice choice = job.src_format;
    const NameFilter filter = [choice](std::string_view name) { return RunNameKind(name, choice); };
    if (!job.recursive) {
        FolderEntries entries = ListFolder(job.src_dir, filter, host);
        for (const std::string& name : entries.files) AddFile(files, job, "", name);
        files.passed_over = entries.passed_over;
        return files;
    }
    files.made_folders_root = job.dst_dir;
    WalkTree(
        job.src_dir, IdentityOf(job.dst_dir), filter, host,
        [&](const std::string& relative, FolderEntries& entries) {
            for (const std::string& name : entries.files) AddFile(files, job, relative, name);
            files.passed_over += entries.passed_over;
        },
        files.unreadable_folders);
    return files;
}

std::vector<std::string> SourcesThatAreTheirOwnTargets(const RunFiles& files) {
    std::vector<std::string> own;
    for (std::size_t k = 0; k < files.final_targets.size(); ++k) {
        // The target first: in a new destination none exists, and the source
        // then costs no look.
        const std::optional<FileIdentity> target = IdentityOf(files.final_targets[k]);
        if (!target) continue;
        const std::string& source_path = files.sources[k / files.targets_per_source];
        const std::optional<FileIdentity> source = IdentityOf(source_path);
        if (source && source->device == target->device && source->inode == target->inode)
            own.push_back(source_path);
    }
    return own;
}

std::size_t CountSourcesReplacedByTheirThumbnails(const RunFiles& files, OverwriteMode mode) {
    return mode == OverwriteMode::kNever ? 0 : SourcesThatAreTheirOwnTargets(files).size();
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
