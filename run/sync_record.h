#pragma once
// The record a run kept in sync (--update, --prune) leaves in its destination
// folder: for each thumbnail it made, the photo it came from and that photo's
// state, the settings that made it, and the thumbnail's own state when it was
// made. A later run compares photos and thumbnails with it instead of reading the
// photos, and --prune removes only what it lists. It is a hidden file
// (".nuthumb-sync"), so no run takes it for a photo, and one per destination:
// a tree's thumbnails are listed by their paths below the destination.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/file_identity.h"

namespace nuthumb {

inline constexpr char kSyncRecordName[] = ".nuthumb-sync";
// A record larger than this is not read (1.5 million thumbnails fit): the
// destination is then treated as never synchronised.
inline constexpr std::uint64_t kMaxSyncRecordBytes = 256ull << 20;

// A file as the record remembers it.
struct RecordedFile {
    std::int64_t size = 0;
    FileTime modified;
    std::uint64_t device = 0, inode = 0;
    bool operator==(const RecordedFile&) const = default;
};

RecordedFile RecordedFileOf(const FileIdentity& identity);

struct SyncEntry {
    std::string source_folder;  // absolute, links resolved: the run's source folder
    std::string source;         // the photo below it ("2024/05/a.jpg")
    RecordedFile photo;         // the photo when the thumbnail was made
    std::uint64_t content = 0;  // its SampleContent hash then
    std::string settings;       // SettingsFingerprint of what made the thumbnail
    RecordedFile thumbnail;     // the thumbnail once in place (its device is not kept)
    bool operator==(const SyncEntry&) const = default;
};

class SyncRecord {
public:
    // The record in `text`. A line it cannot understand is passed over: its
    // thumbnail is then unknown, made again and never removed. A text of another
    // version reads as an empty record.
    static SyncRecord Parse(std::string_view text);
    // The text Parse reads back as this record, in a fixed order.
    std::string Format() const;

    // The entry of the thumbnail at `target` below the destination, if any.
    const SyncEntry* Find(const std::string& target) const;
    void Put(const std::string& target, SyncEntry entry) { entries_[target] = std::move(entry); }
    void Erase(const std::string& target) { entries_.erase(target); }
    const std::unordered_map<std::string, SyncEntry>& entries() const { return entries_; }

    // Folders below the destination that runs made for their thumbnails: the
    // only folders --prune removes (when they are empty).
    std::set<std::string> made_folders;

private:
    std::unordered_map<std::string, SyncEntry> entries_;
};

// What one run changes in a record. It is applied to the record as it is on disk
// when the run saves, so another run that saved into the same destination
// meanwhile keeps what it recorded.
struct SyncChanges {
    std::map<std::string, std::optional<SyncEntry>> entries;  // nullopt: no longer recorded
    std::set<std::string> folders_made, folders_removed;

    bool empty() const { return entries.empty() && folders_made.empty() && folders_removed.empty(); }
    void ApplyTo(SyncRecord& record) const;
};

// Whether `path` is a path below a folder as the record keeps them: not empty,
// relative, without empty, "." or ".." parts. A record whose paths lead
// elsewhere was not written by us.
bool IsPathBelow(std::string_view path);

std::string SyncRecordPath(const std::string& dst_dir);

// The record of `dst_dir`: empty when there is none, or it cannot be read, is no
// regular file (a link is not followed) or is larger than kMaxSyncRecordBytes.
SyncRecord LoadSyncRecord(const std::string& dst_dir);

// Applies `changes` to the record of `dst_dir` as it is now and writes it through
// a temporary file and a rename, holding a lock on the folder meanwhile so two
// runs saving at once take turns. A record that is a link or no regular file is
// refused, not replaced. Throws IoError naming the record.
void SaveSyncChanges(const std::string& dst_dir, const SyncChanges& changes);

}  // namespace nuthumb
