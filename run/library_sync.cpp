#include "run/library_sync.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <set>

#include "image/settings_fingerprint.h"
#include "platform/content_sample.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// Thumbnails recorded but not yet looked at for their renames; looked at in
// batches, so a run pays a few looks per file at most.
constexpr std::size_t kMadeBatch = 64;

// The source folder as the record names it: absolute, links resolved, so the same
// folder named another way is the same folder.
std::string AbsoluteFolder(const std::string& folder) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.empty() ? "/" : folder.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : folder;
}

// `path` below `folder` ("out/2024/a.jpg" below "out" is "2024/a.jpg"); every
// target of a run is named as JoinPath(destination, ...).
std::string Below(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size() + 1)
                                                                                      : path;
}

}  // namespace

bool SameThumbnail(const RecordedFile& recorded, const FileIdentity& now) {
    // The device is not compared: a disk mounted elsewhere keeps its thumbnails.
    return recorded.size == now.size && recorded.modified == now.modified && recorded.inode == now.inode;
}

std::string SyncReasonText(SyncReason reason) {
    switch (reason) {
        case SyncReason::kUpToDate:
        case SyncReason::kNotChecked: return {};
        case SyncReason::kNotRecorded: return Tr("同期の記録にありません");
        case SyncReason::kMissing: return Tr("サムネイルがありません");
        case SyncReason::kThumbnailChanged: return Tr("作成後にサムネイルが変更されています");
        case SyncReason::kOtherPhoto: return Tr("別の画像から作成されています");
        case SyncReason::kSettingsChanged: return Tr("設定が変わりました");
        case SyncReason::kPhotoChanged: return Tr("画像が変わりました");
    }
    return {};
}

LibrarySync::LibrarySync(const ThumbJob& job, const RunFiles& files, RunHost& host)
    : job_(job),
      files_(files),
      source_folder_(AbsoluteFolder(job.src_dir)),
      settings_(SettingsFingerprint(job.conversion)),
      record_(LoadSyncRecord(job.dst_dir)),
      last_save_(std::chrono::steady_clock::now()) {
    files_to_do_.resize(files.final_targets.size());
    IdentityLookup photos, thumbnails;
    for (std::size_t i = 0; i < files_to_do_.size(); ++i) {
        files_to_do_[i].target = Below(files.final_targets[i], job.dst_dir);
        Decide(i, photos, thumbnails);
        if (!UpToDate(i)) to_make_.push_back(i);
        if (i % 256 == 255) host.ProcessPendingMessages();
    }
    NoteFoldersToMake();
}

void LibrarySync::Decide(std::size_t i, IdentityLookup& photos, IdentityLookup& thumbnails) {
    FileToDo& file = files_to_do_[i];
    const SyncEntry* entry = record_.Find(file.target);
    file.reason = [&] {
        if (!job_.update) return SyncReason::kNotChecked;
        if (!entry) return SyncReason::kNotRecorded;
        const std::optional<FileIdentity> thumbnail = thumbnails(files_.final_targets[i]);
        if (!thumbnail) return SyncReason::kMissing;
        if (!SameThumbnail(entry->thumbnail, *thumbnail)) return SyncReason::kThumbnailChanged;
        if (entry->source_folder != source_folder_ || entry->source != files_.names[i]) return SyncReason::kOtherPhoto;
        if (entry->settings != settings_) return SyncReason::kSettingsChanged;
        file.photo = photos(files_.sources[i]);
        return file.photo ? CheckPhoto(i, *entry, *file.photo) : SyncReason::kPhotoChanged;
    }();
    // What is made is recorded with its photo as it was before anything read it.
    if (file.reason != SyncReason::kUpToDate && !file.photo) file.photo = photos(files_.sources[i]);
}

SyncReason LibrarySync::CheckPhoto(std::size_t i, const SyncEntry& entry, const FileIdentity& photo) {
    if (photo.size != entry.photo.size) return SyncReason::kPhotoChanged;
    if (RecordedFileOf(photo) == entry.photo) return SyncReason::kUpToDate;
    // The same size at another time or in another file: a copy or a checkout, or
    // an edit. The content decides; the record then learns the photo's new
    // state, so the next run need not look again.
    const std::optional<ContentSample> sample = SampleContent(files_.sources[i]);
    if (!sample || sample->hash != entry.content || sample->identity.size != entry.photo.size)
        return SyncReason::kPhotoChanged;
    SyncEntry refreshed = entry;
    refreshed.photo = RecordedFileOf(sample->identity);
    changes_.entries[files_to_do_[i].target] = std::move(refreshed);
    return SyncReason::kUpToDate;
}

void LibrarySync::NoteFoldersToMake() {
    if (files_.made_folders_root.empty()) return;
    std::set<std::string> looked_at;
    for (const std::size_t i : to_make_) {
        for (std::string folder = DirectoryPart(files_to_do_[i].target);
             !folder.empty() && looked_at.insert(folder).second; folder = DirectoryPart(folder))
            if (!DirectoryExists(JoinPath(job_.dst_dir, folder))) folders_to_make_.push_back(folder);
    }
}

std::optional<SyncEntry> LibrarySync::EntryFor(std::size_t i, const FileIdentity& thumbnail) const {
    const FileToDo& file = files_to_do_[i];
    // Sampled now, the content is the one that was read only when the photo has
    // not changed since before the run.
    const std::optional<ContentSample> sample = SampleContent(files_.sources[i]);
    if (!file.photo || !sample || sample->identity != *file.photo) return std::nullopt;
    RecordedFile made = RecordedFileOf(thumbnail);
    made.device = 0;  // as the record keeps it
    return SyncEntry{source_folder_, files_.names[i], RecordedFileOf(sample->identity), sample->hash, settings_, made};
}

void LibrarySync::RecordLanded(const WrittenTargets& written, bool final) {
    std::vector<std::size_t> waiting;
    for (const std::size_t i : made_) {
        const std::optional<FileIdentity> thumbnail = IdentityOf(files_.final_targets[i]);
        if (thumbnail && written.Holds({thumbnail->device, thumbnail->inode})) {
            // A photo that changed while it was made is not recorded at all: its
            // thumbnail is made again next time.
            changes_.entries[files_to_do_[i].target] = EntryFor(i, *thumbnail);
        } else if (!final) {
            waiting.push_back(i);  // still waiting for its rename
        }
        // At the end, one whose rename failed left the old file, and its entry, as they were.
    }
    made_ = std::move(waiting);
}

void LibrarySync::Checkpoint(const WrittenTargets& written, RunHost& host) {
    const auto now = std::chrono::steady_clock::now();
    const bool due = now - last_save_ >= host.SyncSaveInterval();
    if (due || made_.size() >= kMadeBatch) RecordLanded(written, false);
    if (!due) return;
    if (!changes_.empty()) Save(host, false);
    last_save_ = now;
}

bool LibrarySync::Save(RunHost& host, bool report) {
    try {
        SaveSyncChanges(job_.dst_dir, changes_);
    } catch (const std::exception& error) {
        // Kept for the next try; only the last one tells the user.
        if (report) {
            const std::string path = SyncRecordPath(job_.dst_dir);
            if (host.ReportLoadErrors()) host.ShowError(error.what());
            host.AppendError(path);
            host.NoteFailedFile(path, ReasonOf(error));
        }
        return false;
    }
    changes_.ApplyTo(record_);
    changes_ = {};
    return true;
}

SyncEnd LibrarySync::Finish(const WrittenTargets& written, RunHost& host, bool may_prune) {
    SyncEnd end;
    RecordLanded(written, true);
    for (const std::string& folder : folders_to_make_)
        if (DirectoryExists(JoinPath(job_.dst_dir, folder))) changes_.folders_made.insert(folder);
    // The record as this run leaves it, for the left-overs; the changes stay to be saved.
    changes_.ApplyTo(record_);
    if (job_.prune && may_prune) end.removed = Prune(host, end);
    if (!changes_.empty() && !Save(host, true)) ++end.failed;
    return end;
}

}  // namespace nuthumb
