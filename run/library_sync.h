#pragma once
// A folder run kept in sync with a photo library (ThumbJob::update, prune):
// before the first file, which targets are already up to date, so that their
// photos are never opened; after each turn, what the run made, saved now and
// then into the destination's record (sync_record.h); at the end, the targets
// left over from photos that are gone, removed when asked.
//
// What the record says is only believed while the files agree with it: a
// target is up to date only while it has the very size, time and inode
// recorded when it was made, so a run killed at any moment (a target half
// made, made but not recorded, recorded before it landed) costs at most a
// target made again, and a target someone changed is never taken for up to
// date, nor removed.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/identity_lookup.h"
#include "run/run_counts.h"
#include "run/run_files.h"
#include "run/run_host.h"
#include "run/run_turns.h"
#include "run/sync_record.h"
#include "run/thumb_job.h"

namespace nuthumb {

// Why a listed photo's target is made, or that it is not.
enum class SyncReason {
    kUpToDate,          // made from this photo as it is, with these settings, untouched since
    kNotChecked,        // the run makes every target (--prune without --update)
    kNotRecorded,       // no synchronised run made it
    kMissing,           // made, but no longer there
    kThumbnailChanged,  // changed since it was made (by someone else)
    kOtherPhoto,        // made from another photo
    kSettingsChanged,
    kPhotoChanged,      // size, time or file differ, and the content check says so too
};

// The reason in a few words, in the user's language; empty for kUpToDate and
// kNotChecked.
std::string SyncReasonText(SyncReason reason);

// Whether the target file `now` is the one the record remembers.
bool SameThumbnail(const RecordedFile& recorded, const FileIdentity& now);

// A target the record lists whose photo this run no longer takes.
struct LeftOver {
    std::string target;  // below the destination
    bool photo_gone;     // else it is there, but the run's format does not take it
    bool as_made;        // else changed or gone since: forgotten, never removed
};

class LibrarySync : public TurnObserver {
public:
    // Compares each listed photo and its targets with the record of the job's
    // destination, looking only at their sizes, times and inodes, except for
    // the content check (SampleContent) of a photo whose time or file alone
    // changed. Without job.update every target is made.
    LibrarySync(const ThumbJob& job, const RunFiles& files, RunHost& host);
    LibrarySync(const LibrarySync&) = delete;
    LibrarySync& operator=(const LibrarySync&) = delete;

    // Of target t (final_targets order).
    SyncReason Reason(std::size_t t) const { return targets_[t].reason; }
    std::size_t UpToDateCount() const { return up_to_date_; }
    // The listing's files with a target to make, in list order: a gallery
    // source with one stale target makes all of them (one decode serves all).
    const RunFiles& FilesToMake() const { return to_make_; }

    // The targets recorded from this source folder that the run does not make
    // itself, whose photo is gone, or is in reach of the run (its folder, or
    // its tree's) but of a format it does not take. --prune removes those that
    // are as they were made, and forgets the others.
    std::vector<LeftOver> LeftOvers() const;

    // A dry run: each target to make and to remove, to the host; counts them.
    void ListPlan(RunHost& host, RunCounts& tally) const;

    void AfterTurn(std::size_t i, const std::vector<TurnOutcome>& outcomes, const WrittenTargets& written,
                   RunHost& host) override;
    void AfterRun(const WrittenTargets& written) override;

    // After the run: removes the left-overs when the job says so and
    // `may_prune` (not after a cancel), with the folders runs made for them
    // that are then empty, and saves the record. A target that cannot be
    // removed, and a record that cannot be saved, are named like a failed file
    // and counted in tally.failed; removals in tally.removed.
    void Finish(RunHost& host, bool may_prune, RunCounts& tally);

private:
    struct TargetToDo {
        std::string below;  // the target below the destination
        SyncReason reason = SyncReason::kNotChecked;
    };

    void Decide(std::size_t i, IdentityLookup& photos, IdentityLookup& targets);
    SyncReason DecideTarget(std::size_t t, const SyncEntry* entry, IdentityLookup& targets) const;
    SyncReason CheckPhoto(std::size_t i, const SyncEntry& entry);
    void ListFilesToMake();
    void NoteFoldersToMake();
    std::optional<SyncEntry> EntryFor(std::size_t t, const FileIdentity& target) const;
    void RecordLanded(const WrittenTargets& written, bool final);
    bool Save(RunHost& host, bool report);
    std::size_t Prune(RunHost& host, RunCounts& tally);
    void RemoveEmptiedFolders(const std::vector<std::string>& removed);

    const ThumbJob& job_;
    const RunFiles& files_;
    const std::string source_folder_;    // absolute, links resolved
    std::vector<std::string> settings_;  // SettingsFingerprint of each variant's conversion
    SyncRecord record_;                  // as loaded, with the changes saved since
    SyncChanges changes_;                // not saved yet
    std::vector<TargetToDo> targets_;
    // Each source as it was before anything read it; nothing when it is up to
    // date (not looked at) or could not be looked at.
    std::vector<std::optional<FileIdentity>> photos_;
    std::size_t up_to_date_ = 0;
    RunFiles to_make_;
    std::vector<std::size_t> to_make_index_;    // to_make_'s files in the listing
    std::vector<std::string> folders_to_make_;  // below the destination, missing before the run
    std::vector<std::size_t> made_;             // targets made, not recorded yet
    std::chrono::steady_clock::time_point last_save_;
};

// RunFolder's way when the job asks for update, prune or a dry run.
int RunInSync(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts& tally);

}  // namespace nuthumb
