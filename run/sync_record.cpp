#include "run/sync_record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

constexpr std::string_view kHeader = "nuthumb-sync 1";

// Names may hold any byte but NUL: a tab, a line break, '%' and the other
// control bytes are written as %XX, so each entry is one line of tab-separated
// fields.
std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size()) return std::nullopt;
        const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

template <typename Number>
std::optional<Number> NumberOf(std::string_view text, int base = 10) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "seconds.nanoseconds", nine digits after the point, seconds perhaps negative.
std::string TimeText(const FileTime& time) {
    char nanoseconds[16];
    std::snprintf(nanoseconds, sizeof nanoseconds, "%09lld", static_cast<long long>(time.nanoseconds));
    return std::to_string(time.seconds) + "." + nanoseconds;
}

std::optional<FileTime> TimeOf(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || text.size() - point != 10) return std::nullopt;
    const auto seconds = NumberOf<std::int64_t>(text.substr(0, point));
    const auto nanoseconds = NumberOf<std::int64_t>(text.substr(point + 1));
    if (!seconds || !nanoseconds || *nanoseconds < 0) return std::nullopt;
    return FileTime{*seconds, *nanoseconds};
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

std::optional<RecordedFile> FileOf(std::string_view size, std::string_view time, std::string_view device,
                                   std::string_view inode) {
    const auto parsed_size = NumberOf<std::int64_t>(size);
    const auto parsed_time = TimeOf(time);
    const auto parsed_device = NumberOf<std::uint64_t>(device);
    const auto parsed_inode = NumberOf<std::uint64_t>(inode);
    if (!parsed_size || *parsed_size < 0 || !parsed_time || !parsed_device || !parsed_inode) return std::nullopt;
    return RecordedFile{*parsed_size, *parsed_time, *parsed_device, *parsed_inode};
}

// "T", target, source, the photo (size, time, device, inode), its content hash,
// the settings, the thumbnail (size, time, inode).
constexpr std::size_t kEntryFields = 12;

std::optional<std::pair<std::string, SyncEntry>> EntryOf(const std::vector<std::string_view>& f,
                                                         const std::string& source_folder) {
    if (f.size() != kEntryFields || source_folder.empty()) return std::nullopt;
    auto target = Unescaped(f[1]);
    auto source = Unescaped(f[2]);
    const auto photo = FileOf(f[3], f[4], f[5], f[6]);
    const auto content = NumberOf<std::uint64_t>(f[7], 16);
    auto settings = Unescaped(f[8]);
    const auto thumbnail = FileOf(f[9], f[10], "0", f[11]);
    if (!target || !IsPathBelow(*target) || !source || !IsPathBelow(*source) || !photo || !content || !settings ||
        !thumbnail)
        return std::nullopt;
    return std::pair{std::move(*target),
                     SyncEntry{source_folder, std::move(*source), *photo, *content, std::move(*settings), *thumbnail}};
}

void AppendEntry(std::string& text, const std::string& target, const SyncEntry& e) {
    char content[17];
    std::snprintf(content, sizeof content, "%016llx", static_cast<unsigned long long>(e.content));
    text += "T\t" + Escaped(target) + "\t" + Escaped(e.source) + "\t" + std::to_string(e.photo.size) + "\t" +
            TimeText(e.photo.modified) + "\t" + std::to_string(e.photo.device) + "\t" +
            std::to_string(e.photo.inode) + "\t" + content + "\t" + Escaped(e.settings) + "\t" +
            std::to_string(e.thumbnail.size) + "\t" + TimeText(e.thumbnail.modified) + "\t" +
            std::to_string(e.thumbnail.inode) + "\n";
}

// The record's bytes, or nothing when there is no usable one.
std::optional<std::string> ReadRecordFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxSyncRecordBytes)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t used = 0;
    while (used < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + used, text.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        used += static_cast<std::size_t>(n);
    }
    return text;
}

}  // namespace

RecordedFile RecordedFileOf(const FileIdentity& identity) {
    return {identity.size, identity.modified, identity.device, identity.inode};
}

bool IsPathBelow(std::string_view path) {
    if (path.empty() || path.front() == '/') return false;
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part = path.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

SyncRecord SyncRecord::Parse(std::string_view text) {
    SyncRecord record;
    std::size_t at = text.find('\n');
    if (text.substr(0, at) != kHeader) return record;
    std::string source_folder;
    while (at != std::string_view::npos && at + 1 < text.size()) {
        const std::size_t end = text.find('\n', at + 1);
        const std::vector<std::string_view> f = Fields(text.substr(at + 1, end - at - 1));
        at = end;
        if (f[0] == "S" && f.size() == 2) {
            const std::optional<std::string> folder = Unescaped(f[1]);
            source_folder = folder && !folder->empty() && folder->front() == '/' ? *folder : std::string();
        } else if (f[0] == "F" && f.size() == 2) {
            if (std::optional<std::string> folder = Unescaped(f[1]); folder && IsPathBelow(*folder))
                record.made_folders.insert(std::move(*folder));
        } else if (f[0] == "T") {
            if (auto entry = EntryOf(f, source_folder)) record.entries_.insert(std::move(*entry));
        }
    }
    return record;
}

std::string SyncRecord::Format() const {
    std::string text(kHeader);
    text += '\n';
    for (const std::string& folder : made_folders) text += "F\t" + Escaped(folder) + "\n";
    // By source folder, then by thumbnail: the same record always gives the same text.
    std::vector<std::pair<const std::string*, const SyncEntry*>> sorted;
    sorted.reserve(entries_.size());
    for (const auto& [target, entry] : entries_) sorted.emplace_back(&target, &entry);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.second->source_folder != b.second->source_folder ? a.second->source_folder < b.second->source_folder
                                                                  : *a.first < *b.first;
    });
    const std::string* folder = nullptr;
    for (const auto& [target, entry] : sorted) {
        if (!folder || *folder != entry->source_folder) {
            folder = &entry->source_folder;
            text += "S\t" + Escaped(*folder) + "\n";
        }
        AppendEntry(text, *target, *entry);
    }
    return text;
}

const SyncEntry* SyncRecord::Find(const std::string& target) const {
    const auto found = entries_.find(target);
    return found == entries_.end() ? nullptr : &found->second;
}

void SyncChanges::ApplyTo(SyncRecord& record) const {
    for (const auto& [target, entry] : entries) {
        if (entry) record.Put(target, *entry);
        else record.Erase(target);
    }
    // A folder made and then removed by the same run is gone.
    record.made_folders.insert(folders_made.begin(), folders_made.end());
    for (const std::string& folder : folders_removed) record.made_folders.erase(folder);
}

std::string SyncRecordPath(const std::string& dst_dir) { return JoinPath(dst_dir, kSyncRecordName); }

SyncRecord LoadSyncRecord(const std::string& dst_dir) {
    const std::optional<std::string> text = ReadRecordFile(SyncRecordPath(dst_dir));
    return text ? SyncRecord::Parse(*text) : SyncRecord{};
}

void SaveSyncChanges(const std::string& dst_dir, const SyncChanges& changes) {
    const std::string path = SyncRecordPath(dst_dir);
    const UniqueFd folder(::open(dst_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) ThrowErrno(kCannotWrite, path, errno);
    // Released when the descriptor closes, after the rename.
    while (::flock(folder.get(), LOCK_EX) != 0)
        if (errno != EINTR) ThrowErrno(kCannotWrite, path, errno);
    struct stat st {};
    if (::fstatat(folder.get(), kSyncRecordName, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        ThrowIoError(kCannotWrite, path, NotRegularFileReason(st.st_mode));
    SyncRecord record = LoadSyncRecord(dst_dir);
    changes.ApplyTo(record);
    WriteFileAtomic(path, record.Format());
}

}  // namespace nuthumb
