#include "run/library_sync.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <set>

#include "image/settings_fingerprint.h"
#include "platform/content_sample.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/staged_file.h"
#include "platform/translate.h"
#include "run/run_folder.h"

namespace nuthumb {
namespace {

// Targets made but not yet looked at for their renames; looked at in batches,
// so a run pays a few looks per file at most.
constexpr std::size_t kMadeBatch = 64;

// The source folder as the record names it: absolute, links resolved, so the same
// folder named another way is the same folder.
std::string AbsoluteFolder(const std::string& folder) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(folder.empty() ? "/" : folder.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : folder;
}

// `path` below `folder` ("out/2024/a.jpg" below "out" is "2024/a.jpg"); every
// target of a run is named as JoinPath(destination, ...).
std::string Below(const std::string& path, const std::string& folder) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return path;
    const std::size_t skip = !folder.empty() && folder.back() == '/' ? folder.size() : folder.size() + 1;
    return path.substr(skip);
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
      record_(LoadSyncRecord(job.dst_dir)),
      last_save_(std::chrono::steady_clock::now()) {
    for (const Conversion& conversion : ConversionsOf(job)) settings_.push_back(SettingsFingerprint(conversion));
    targets_.resize(files.final_targets.size());
    for (std::size_t t = 0; t < targets_.size(); ++t) targets_[t].below = Below(files.final_targets[t], job.dst_dir);
    photos_.resize(files.names.size());
    IdentityLookup photos, targets;
    for (std::size_t i = 0; i < files.names.size(); ++i) {
        Decide(i, photos, targets);
        if (i % 256 == 255) host.ProcessPendingMessages();
    }
    ListFilesToMake();
    NoteFoldersToMake();
}

SyncReason LibrarySync::DecideTarget(std::size_t t, const SyncEntry* entry, IdentityLookup& targets) const {
    if (!job_.update) return SyncReason::kNotChecked;
    if (!entry) return SyncReason::kNotRecorded;
    const std::optional<FileIdentity> target = targets(files_.final_targets[t]);
    if (!target) return SyncReason::kMissing;
    if (!SameThumbnail(entry->thumbnail, *target)) return SyncReason::kThumbnailChanged;
    const std::size_t i = t / files_.targets_per_source;
    if (entry->source_folder != source_folder_ || entry->source != files_.names[i]) return SyncReason::kOtherPhoto;
    if (entry->settings != settings_[t % files_.targets_per_source]) return SyncReason::kSettingsChanged;
    return SyncReason::kUpToDate;  // as far as the target goes; the photo is looked at next
}

void LibrarySync::Decide(std::size_t i, IdentityLookup& photos, IdentityLookup& targets) {
    const std::size_t per = files_.targets_per_source;
    bool looked_at = false;
    bool all_up_to_date = true;
    for (std::size_t t = i * per; t < (i + 1) * per; ++t) {
        const SyncEntry* entry = record_.Find(targets_[t].below);
        SyncReason reason = DecideTarget(t, entry, targets);
        if (reason == SyncReason::kUpToDate) {
            if (!looked_at) photos_[i] = photos(files_.sources[i]);
            looked_at = true;
            reason = photos_[i] ? CheckPhoto(i, *entry) : SyncReason::kPhotoChanged;
        }
        targets_[t].reason = reason;
        all_up_to_date = all_up_to_date && reason == SyncReason::kUpToDate;
    }
    if (all_up_to_date) {
        up_to_date_ += per;
        return;
    }
    // What is made is recorded with its photo as it was before anything read it.
    if (!looked_at) photos_[i] = photos(files_.sources[i]);
}

SyncReason LibrarySync::CheckPhoto(std::size_t i, const SyncEntry& entry) {
    const FileIdentity& photo = *photos_[i];
    if (photo.size != entry.photo.size) return SyncReason::kPhotoChanged;
    if (RecordedFileOf(photo) == entry.photo) return SyncReason::kUpToDate;
    // The same size at another time or in another file: a copy or a checkout, or
    // an edit. The content decides; the record then learns the photo's new
    // state, so the next run need not look again.
    const std::optional<ContentSample> sample = SampleContent(files_.sources[i]);
    if (!sample || sample->hash != entry.content || sample->identity.size != entry.photo.size)
        return SyncReason::kPhotoChanged;
    for (std::size_t t = i * files_.targets_per_source; t < (i + 1) * files_.targets_per_source; ++t) {
        if (const SyncEntry* recorded = record_.Find(targets_[t].below); recorded && recorded->content == sample->hash) {
            SyncEntry refreshed = *recorded;
            refreshed.photo = RecordedFileOf(sample->identity);
            changes_.entries[targets_[t].below] = std::move(refreshed);
        }
    }
    photos_[i] = sample->identity;
    return SyncReason::kUpToDate;
}

void LibrarySync::ListFilesToMake() {
    to_make_.targets_per_source = files_.targets_per_source;
    to_make_.target_folders = files_.target_folders;
    to_make_.made_folders_root = files_.made_folders_root;
    const std::size_t per = files_.targets_per_source;
    for (std::size_t i = 0; i < files_.names.size(); ++i) {
        bool up_to_date = true;
        for (std::size_t t = i * per; t < (i + 1) * per; ++t)
            up_to_date = up_to_date && targets_[t].reason == SyncReason::kUpToDate;
        if (up_to_date) continue;
        to_make_index_.push_back(i);
        to_make_.names.push_back(files_.names[i]);
        to_make_.sources.push_back(files_.sources[i]);
        for (std::size_t t = i * per; t < (i + 1) * per; ++t) to_make_.final_targets.push_back(files_.final_targets[t]);
    }
}

void LibrarySync::NoteFoldersToMake() {
    if (files_.made_folders_root.empty()) return;
    std::set<std::string> looked_at;
    const std::size_t per = files_.targets_per_source;
    for (const std::size_t i : to_make_index_) {
        for (std::size_t t = i * per; t < (i + 1) * per; ++t) {
            for (std::string folder = DirectoryPart(targets_[t].below);
                 !folder.empty() && looked_at.insert(folder).second; folder = DirectoryPart(folder))
                if (!DirectoryExists(JoinPath(job_.dst_dir, folder))) folders_to_make_.push_back(folder);
        }
    }
}

void LibrarySync::ListPlan(RunHost& host, RunCounts& tally) const {
    for (const std::size_t i : to_make_index_) {
        for (std::size_t t = i * files_.targets_per_source; t < (i + 1) * files_.targets_per_source; ++t) {
            host.NotePlanned(false, files_.final_targets[t], SyncReasonText(targets_[t].reason));
            ++tally.made;
        }
    }
    if (!job_.prune) return;
    for (const LeftOver& left : LeftOvers()) {
        if (!left.as_made) continue;
        host.NotePlanned(true, JoinPath(job_.dst_dir, left.target),
                         left.photo_gone ? Tr("元の画像がなくなりました") : Tr("読込みファイル形式ではありません"));
        ++tally.removed;
    }
}

std::optional<SyncEntry> LibrarySync::EntryFor(std::size_t t, const FileIdentity& target) const {
    const std::size_t i = t / files_.targets_per_source;
    // Sampled now, the content is the one that was read only when the photo has
    // not changed since before the run.
    const std::optional<ContentSample> sample = SampleContent(files_.sources[i]);
    if (!photos_[i] || !sample || sample->identity != *photos_[i]) return std::nullopt;
    RecordedFile made = RecordedFileOf(target);
    made.device = 0;  // as the record keeps it
    return SyncEntry{source_folder_, files_.names[i], RecordedFileOf(sample->identity), sample->hash,
                     settings_[t % files_.targets_per_source], made};
}

void LibrarySync::RecordLanded(const WrittenTargets& written, bool final) {
    std::vector<std::size_t> waiting;
    for (const std::size_t t : made_) {
        const std::optional<FileIdentity> target = IdentityOf(files_.final_targets[t]);
        if (target && written.Holds({target->device, target->inode})) {
            // A photo that changed while it was made is not recorded at all: its
            // target is made again next time.
            changes_.entries[targets_[t].below] = EntryFor(t, *target);
        } else if (!final) {
            waiting.push_back(t);  // still waiting for its rename
        }
        // At the end, one whose rename failed left the old file, and its entry, as they were.
    }
    made_ = std::move(waiting);
}

void LibrarySync::AfterTurn(std::size_t i, const std::vector<TurnOutcome>& outcomes, const WrittenTargets& written,
                            RunHost& host) {
    const std::size_t first = to_make_index_[i] * files_.targets_per_source;
    for (std::size_t v = 0; v < outcomes.size(); ++v)
        if (outcomes[v] == TurnOutcome::kMade) made_.push_back(first + v);
    const auto now = std::chrono::steady_clock::now();
    const bool due = now - last_save_ >= host.SyncSaveInterval();
    if (due || made_.size() >= kMadeBatch) RecordLanded(written, false);
    if (!due) return;
    if (!changes_.empty()) Save(host, false);
    last_save_ = now;
}

void LibrarySync::AfterRun(const WrittenTargets& written) { RecordLanded(written, true); }

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

void LibrarySync::Finish(RunHost& host, bool may_prune, RunCounts& tally) {
    for (const std::string& folder : folders_to_make_)
        if (DirectoryExists(JoinPath(job_.dst_dir, folder))) changes_.folders_made.insert(folder);
    // The record as this run leaves it, for the left-overs; the changes stay to be saved.
    changes_.ApplyTo(record_);
    if (job_.prune && may_prune) tally.removed = Prune(host, tally);
    if (!changes_.empty() && !Save(host, true)) ++tally.failed;
}

int RunInSync(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts& tally) {
    tally.synced = job.update;
    tally.pruned = job.prune;
    tally.dry_run = job.dry_run;
    // With no photo left, a prune still has the left-overs to remove.
    if (files.names.empty() && !job.prune) return kRunNoSourceFile;
    LibrarySync sync(job, files, host);
    tally.up_to_date = sync.UpToDateCount();
    const int listed = files.names.empty() ? kRunNoSourceFile : kRunFinished;
    if (job.dry_run) {
        sync.ListPlan(host, tally);
        return listed;
    }
    // With nothing to make, what a killed run left still goes from the
    // destination; the target folders are cleared when a run makes something
    // there (looking into each would cost a re-run as much as its photos).
    if (sync.FilesToMake().names.empty()) RemoveStaleTempFiles(job.dst_dir);
    const int result = sync.FilesToMake().names.empty() ? listed : RunTurns(host, job, sync.FilesToMake(), tally, &sync);
    sync.Finish(host, result != kRunCancelled, tally);
    return result;
}

}  // namespace nuthumb
