#include "platform/staged_file.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/direct_write.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

constexpr std::string_view kTempPrefix = ".nuthumb-";
constexpr std::size_t kRandomLetters = 10;
// Letters that follow from the random ones: a name the user typed, such as
// ".nuthumb-abcdef", is not taken for ours.
constexpr std::size_t kCheckLetters = 4;
constexpr std::size_t kTempLetters = kRandomLetters + kCheckLetters;
// What a named staged file is called until its owner holds the lock: the cleaner
// never looks at it, so no other run can take it for stale in between.
constexpr std::string_view kUnlockedSuffix = "-new";
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameTries = 100;

mode_t CurrentUmask() {
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string CheckLetters(std::string_view random) {
    std::uint32_t hash = 2166136261u;  // FNV-1a over a salt and the random letters
    for (const char c : std::string_view("nuthumb staged file")) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    for (const char c : random) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    std::string check;
    for (std::size_t i = 0; i < kCheckLetters; ++i, hash /= kLetters.size()) check.push_back(kLetters[hash % kLetters.size()]);
    return check;
}

// A short name of fixed length: a target whose name has the longest length the
// file system allows still gets its temporary file beside it.
std::string TempName() {
    unsigned char random[kRandomLetters] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // No entropy source: the clock still makes a name that is retried on a clash.
        const auto seed = static_cast<unsigned long long>(::getpid()) ^ static_cast<unsigned long long>(::clock());
        for (std::size_t i = 0; i < kRandomLetters; ++i) random[i] = static_cast<unsigned char>(seed >> (i * 5));
    }
    std::string letters;
    for (const unsigned char r : random) letters.push_back(kLetters[r % kLetters.size()]);
    return std::string(kTempPrefix) + letters + CheckLetters(letters);
}

bool IsTempName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempLetters || !name.starts_with(kTempPrefix)) return false;
    const std::string_view letters = name.substr(kTempPrefix.size());
    return letters.find_first_not_of(kLetters) == std::string_view::npos &&
           letters.substr(kRandomLetters) == CheckLetters(letters.substr(0, kRandomLetters));
}

// Renames without replacing where the file system can; where it cannot, a clash of
// two random names of this length does not happen in practice.
int RenameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    return ::renameat(folder, from.c_str(), folder, to.c_str());
}

// Creates a named staged file that is locked before it has a name the cleaner
// looks at. Returns the file; sets `name` to its name.
UniqueFd CreateLockedNamed(int folder, mode_t mode, std::string& name, const std::string& path) {
    for (int tries = 0; tries < kNameTries; ++tries) {
        const std::string final_name = TempName();
        const std::string unlocked = final_name + std::string(kUnlockedSuffix);
        UniqueFd fd(::openat(folder, unlocked.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!fd) {
            if (errno == EEXIST) continue;
            ThrowErrno(kCannotWrite, path, errno);
        }
        if (::flock(fd.get(), LOCK_EX) != 0 || RenameNoReplace(folder, unlocked, final_name) != 0) {
            const int err = errno;
            ::unlinkat(folder, unlocked.c_str(), 0);
            if (err == EEXIST) continue;
            ThrowErrno(kCannotWrite, path, err);
        }
        name = final_name;
        return fd;
    }
    ThrowErrno(kCannotWrite, path, EEXIST);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Within the coarsest step in which a Linux file system keeps times (vfat: two
// seconds): further off, it took its limit instead.
bool HoldsTime(const timespec& held, const FileTime& wanted) {
    constexpr std::uint64_t kCoarsestStep = 2;
    const auto a = static_cast<std::uint64_t>(held.tv_sec), b = static_cast<std::uint64_t>(wanted.seconds);
    // Unsigned, so that the distance between any two times is exact.
    return (static_cast<std::int64_t>(held.tv_sec) >= wanted.seconds ? a - b : b - a) <= kCoarsestStep;
}

// "2300-01-01 00:00:00 UTC", or the seconds when the year does not fit a calendar.
std::string TimeText(const FileTime& time) {
    const auto seconds = static_cast<time_t>(time.seconds);
    std::tm parts{};
    char text[64];
    if (static_cast<std::int64_t>(seconds) != time.seconds || !::gmtime_r(&seconds, &parts) ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0)
        return std::string("@").append(std::to_string(time.seconds));
    return text;
}

}  // namespace

StagedFile::StagedFile(const std::string& path, std::span<const std::uint8_t> bytes, Naming naming) : path_(path) {
    WriteTarget resolved = ResolveWriteTarget(path);
    target_ = std::move(resolved.path);
    placeholder_ = resolved.created_for_link;
    try {
        folder_ = UniqueFd(::open(FolderOf(target_).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat folder {};
        if (!folder_ || ::fstat(folder_.get(), &folder) != 0) ThrowErrno(kCannotWrite, path, errno);
        place_ = {static_cast<std::uint64_t>(folder.st_dev), static_cast<std::uint64_t>(folder.st_ino),
                  FileNamePart(target_)};

        struct stat old {};
        const bool replaces = !placeholder_ && ::fstatat(folder_.get(), place_.name.c_str(), &old, 0) == 0 &&
                              S_ISREG(old.st_mode);
        const mode_t mode = replaces ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());

        if (naming == Naming::kUnnamedWherePossible)
            fd_ = UniqueFd(::openat(folder_.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        // Held until the file is in place or gone: a file nobody holds is stale.
        if (fd_ && ::flock(fd_.get(), LOCK_EX) != 0) ThrowErrno(kCannotWrite, path, errno);
        if (!fd_) fd_ = CreateLockedNamed(folder_.get(), mode, temp_name_, path);
        if (::fchmod(fd_.get(), mode) != 0) ThrowErrno(kCannotWrite, path, errno);
        WriteAll(fd_.get(), bytes, path);
        struct stat staged {};
        if (::fstat(fd_.get(), &staged) != 0) ThrowErrno(kCannotWrite, path, errno);
        node_ = {static_cast<std::uint64_t>(staged.st_dev), static_cast<std::uint64_t>(staged.st_ino)};
    } catch (...) {
        Discard();
        throw;
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      place_(std::move(other.place_)),
      node_(other.node_),
      folder_(std::move(other.folder_)),
      fd_(std::move(other.fd_)),
      temp_name_(std::exchange(other.temp_name_, {})),
      placeholder_(std::exchange(other.placeholder_, false)),
      published_(other.published_) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        place_ = std::move(other.place_);
        node_ = other.node_;
        folder_ = std::move(other.folder_);
        fd_ = std::move(other.fd_);
        temp_name_ = std::exchange(other.temp_name_, {});
        placeholder_ = std::exchange(other.placeholder_, false);
        published_ = other.published_;
    }
    return *this;
}

StagedFile::~StagedFile() { Discard(); }

void StagedFile::Discard() noexcept {
    if (!folder_ || published_) return;
    if (!temp_name_.empty()) ::unlinkat(folder_.get(), temp_name_.c_str(), 0);
    temp_name_.clear();
    // The empty file made for a link goes too, unless someone wrote to it since.
    struct stat st {};
    if (placeholder_ && ::fstatat(folder_.get(), place_.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_size == 0 && (st.st_mode & 07777) == 0)
        ::unlinkat(folder_.get(), place_.name.c_str(), 0);
    placeholder_ = false;
}

void StagedFile::SetModificationTime(const FileTime& modified) {
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {static_cast<time_t>(modified.seconds), static_cast<long>(modified.nanoseconds)}};
    if (::futimens(fd_.get(), times) != 0) ThrowErrno(kCannotWrite, path_, errno);
    // Past its range a file system takes its limit instead, without a word (ext4:
    // 2446, vfat: 2107): read back what it holds.
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) ThrowErrno(kCannotWrite, path_, errno);
    if (!HoldsTime(st.st_mtim, modified))
        ThrowIoError(kCannotWrite, path_,
                     Fill(Tr("このファイルシステムは更新日時 {} を保てません"), {TimeText(modified)}));
}

void StagedFile::Sync() {
    if (::fsync(fd_.get()) != 0) ThrowErrno(kCannotWrite, path_, errno);
}

void StagedFile::SyncFileSystem() {
    if (::syncfs(fd_.get()) != 0) ThrowErrno(kCannotSync, FolderOf(target_), errno);
}

void StagedFile::Publish() {
    // An unnamed file gets its name only now, so a kill before this point leaves
    // nothing behind.
    const std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
    for (int tries = 0; temp_name_.empty(); ++tries) {
        if (tries == kNameTries) ThrowErrno(kCannotWrite, path_, EEXIST);
        std::string name = TempName();
        // Without the capability that AT_EMPTY_PATH needs, the descriptor's
        // /proc entry names the file as well.
        if (::linkat(fd_.get(), "", folder_.get(), name.c_str(), AT_EMPTY_PATH) == 0 ||
            (errno != EEXIST &&
             ::linkat(AT_FDCWD, proc.c_str(), folder_.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)) {
            temp_name_ = std::move(name);
        } else if (errno != EEXIST) {
            ThrowErrno(kCannotWrite, path_, errno);
        }
    }
    if (::renameat(folder_.get(), temp_name_.c_str(), folder_.get(), place_.name.c_str()) != 0)
        ThrowErrno(kCannotWrite, path_, errno);
    temp_name_.clear();
    published_ = true;
    // The data was made durable before the rename; closing releases the lock.
    fd_.close();
}

int RemoveStaleTempFiles(const std::string& folder, std::chrono::seconds min_age) {
    const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return 0;
    const std::unique_ptr<DIR, int (*)(DIR*)> list(::fdopendir(::dup(dir.get())), &::closedir);
    if (!list) return 0;
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(list.get())) {
        const char* name = entry->d_name;
        if (!IsTempName(name)) continue;
        UniqueFd fd(::openat(dir.get(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd) fd = UniqueFd(::openat(dir.get(), name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {}, named {};
        // Another user's file is theirs to keep; a locked one has a live owner.
        if (!fd || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != ::geteuid() ||
            ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // A recent file may belong to a run on another machine, whose lock this
        // one may not see (a network file system).
        if (std::chrono::seconds(now - held.st_mtim.tv_sec) < min_age) continue;
        if (::fstatat(dir.get(), name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named) &&
            ::unlinkat(dir.get(), name, 0) == 0)
            ++removed;
    }
    return removed;
}

}  // namespace nuthumb
