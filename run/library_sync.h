#pragma once
// A folder run kept in sync with a photo library (ThumbJob::update and prune):
// before the first file, which thumbnails are already up to date, so that their
// photos are never opened; after each turn, what the run made, saved now and
// then into the destination's record (sync_record.h); at the end, the thumbnails
// left over from photos that are gone, removed when asked.
//
// What the record says is only believed while the files agree with it: a
// thumbnail is up to date only while it has the very size, time and inode
// recorded when it was made, so a run killed at any moment (a thumbnail half
// made, made but not recorded, recorded before it landed) costs at most a
// thumbnail made again, and a thumbnail someone changed is never taken for up
// to date, nor removed.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/identity_lookup.h"
#include "run/file_turn.h"
#include "run/run_files.h"
#include "run/run_host.h"
#include "run/sync_record.h"
#include "run/thumb_job.h"

namespace nuthumb {

// Why a listed photo's thumbnail is made, or that it is not.
enum class SyncReason {
    kUpToDate,          // made from this photo as it is, with these settings, untouched since
    kNotChecked,        // the run makes every thumbnail (--prune without --update)
    kNotRecorded,       // no synchronised run made it
    kMissing,           // made, but no longer there
    kThumbnailChanged,  // changed since it was made (by someone else)
    kOtherPhoto,        // made from another photo
    kSettingsChanged,
    kPhotoChanged,      // size, time or file differ, and the content check says so too
};

// The reason in a few words, in the user's language; empty for kUpToDate.
std::string SyncReasonText(SyncReason reason);

// A thumbnail the record lists whose photo this run no longer takes.
struct LeftOver {
    std::string target;  // below the destination
    bool photo_gone;     // else it is there, but the run's format does not take it
};

// What the end of a synchronised run did besides making thumbnails.
struct SyncEnd {
    std::size_t removed = 0;
    std::size_t failed = 0;  // thumbnails that could not be removed, a record that could not be saved
};

class LibrarySync {
public:
    // Compares each listed photo and its thumbnail with the record of the job's
    // destination, looking only at their sizes, times and inodes, except for the
    // content check (SampleContent) of a photo whose time or file alone changed.
    // Without job.update every thumbnail is made. The host's pending messages
    // are handled now and then.
    LibrarySync(const ThumbJob& job, const RunFiles& files, RunHost& host);
    LibrarySync(const LibrarySync&) = delete;
    LibrarySync& operator=(const LibrarySync&) = delete;

    SyncReason Reason(std::size_t i) const { return files_to_do_[i].reason; }
    bool UpToDate(std::size_t i) const { return Reason(i) == SyncReason::kUpToDate; }
    // The files the run takes up, in list order: every one not up to date.
    const std::vector<std::size_t>& ToMake() const { return to_make_; }
    // The thumbnail of file i below the destination.
    const std::string& TargetBelow(std::size_t i) const { return files_to_do_[i].target; }

    // What --prune removes: thumbnails recorded from this source folder whose
    // photo is gone, or is in reach of the run (its folder, or any of the tree's)
    // but of a format it does not take, that are as they were made, and that the
    // run does not make itself.
    std::vector<LeftOver> LeftOvers() const;

    // After file i's turn made its thumbnail (perhaps still waiting for its rename).
    void NoteMade(std::size_t i) { made_.push_back(i); }
    // Between files: records the thumbnails in place by now, and every
    // host.SyncSaveInterval() saves the record, so a run killed later keeps most
    // of what it made.
    void Checkpoint(const WrittenTargets& written, RunHost& host);
    // After the run, every thumbnail in place: records them, removes the left-overs
    // when the job says so and `may_prune` (not after a cancel), with the folders
    // runs made for them that are then empty, and saves the record. A thumbnail
    // that cannot be removed, and a record that cannot be saved, are named like a
    // failed file.
    SyncEnd Finish(const WrittenTargets& written, RunHost& host, bool may_prune);

private:
    struct FileToDo {
        std::string target;                  // below the destination
        SyncReason reason = SyncReason::kNotChecked;
        std::optional<FileIdentity> photo;   // as it was before anything was read
    };

    void Decide(std::size_t i, IdentityLookup& photos, IdentityLookup& thumbnails);
    SyncReason CheckPhoto(std::size_t i, const SyncEntry& entry, const FileIdentity& photo);
    void NoteFoldersToMake();
    void RecordLanded(const WrittenTargets& written, bool final);
    bool Save(RunHost& host, bool report);
    std::size_t Prune(RunHost& host, SyncEnd& end);
    void RemoveEmptiedFolders(const std::vector<std::string>& removed);

    const ThumbJob& job_;
    const RunFiles& files_;
    const std::string source_folder_;  // absolute, links resolved
    const std::string settings_;       // SettingsFingerprint of the job's conversion
    SyncRecord record_;                // as loaded, with the changes saved since
    SyncChanges changes_;              // not saved yet
    std::vector<FileToDo> files_to_do_;
    std::vector<std::size_t> to_make_;
    std::vector<std::string> folders_to_make_;  // below the destination, missing before the run
    std::vector<std::size_t> made_;             // made, not recorded yet
    std::chrono::steady_clock::time_point last_save_;
};

}  // namespace nuthumb
