#include "platform/staged_file.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

std::string CheckLetters(std::string_view random) {
    std::uint32_t hash = 2166136261u;  // FNV-1a over a salt and the random letters
    for (const char c : std::string_view("nuthumb staged file")) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    for (const char c : random) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    std::string check;
    for (std::size_t i = 0; i < kCheckLetters; ++i, hash /= kLetters.size()) check.push_back(kLetters[hash % kLetters.size()]);
    return check;
}

// The system's randomness, taken once per process (and again in a forked
// child, which would otherwise repeat its parent's names); 0: not yet taken.
std::atomic<std::uint64_t> random_seed{0};
std::atomic<std::uint64_t> random_step{0};

std::uint64_t Seed() {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, 0) != static_cast<ssize_t>(sizeof seed)) {
        // No entropy source: the clock still makes names that are retried on a clash.
        seed = static_cast<std::uint64_t>(::getpid()) << 32 ^ static_cast<std::uint64_t>(::clock());
    }
    return seed | 1;
}

// Random bits without a system call per name: the seed mixed with a step
// (splitmix64).
std::uint64_t NextRandom() {
    static const bool reseeds_after_fork = ::pthread_atfork(nullptr, nullptr, [] { random_seed = 0; }) == 0;
    (void)reseeds_after_fork;
    std::uint64_t seed = random_seed.load();
    if (seed == 0) {
        const std::uint64_t fresh = Seed();
        seed = random_seed.compare_exchange_strong(seed, fresh) ? fresh : seed;
    }
    std::uint64_t z = seed + 0x9E3779B97F4A7C15u * (random_step.fetch_add(1) + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// A short name of fixed length: a target whose name has the longest length the
// file system allows still gets its temporary file beside it.
std::string TempName() {
    std::string letters;
    for (std::uint64_t bits = NextRandom(), taken = 0; letters.size() < kRandomLetters; bits /= kLetters.size()) {
        if (++taken > 10) bits = NextRandom(), taken = 1;  // 62^10 < 2^64: ten letters a draw
        letters.push_back(kLetters[bits % kLetters.size()]);
    }
    return std::string(kTempPrefix) + letters + CheckLetters(letters);
}

// Gives the unnamed file `fd` the name `name` in `folder`: 0, or -1 with errno
// set (EEXIST when the name is taken). Without the capability that
// AT_EMPTY_PATH needs, the descriptor's /proc entry names the file as well;
// once refused, that way is taken at once.
int LinkUnnamed(int fd, int folder, const std::string& name) {
    static std::atomic<bool> empty_path_refused{false};
    if (!empty_path_refused.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
        if (errno == EEXIST) return -1;
        if (errno == ENOENT) empty_path_refused = true;
    }
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW);
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
        StageResolved(bytes, naming);
    } catch (...) {
        Discard();
        throw;
    }
}

StagedFile::StagedFile(std::shared_ptr<const TargetFolder> folder, const std::string& path,
                       std::span<const std::uint8_t> bytes)
    : path_(path) {
    const std::string name = FileNamePart(path);
    const NameLook look = folder->Look(name);
    // A link is followed by the kernel, and anything else refused, the long way.
    if (look.kind == NameLook::Kind::kOther) {
        *this = StagedFile(path, bytes);
        return;
    }
    target_ = path;
    folder_ = std::move(folder);
    place_ = {folder_->device(), folder_->inode(), name};
    replaces_ = look.kind == NameLook::Kind::kFile;
    try {
        Stage(bytes, replaces_ ? look.mode : (0666 & ~ProcessUmask()), Naming::kUnnamedWherePossible);
    } catch (...) {
        Discard();
        throw;
    }
}

void StagedFile::StageResolved(std::span<const std::uint8_t> bytes, Naming naming) {
    folder_ = std::make_shared<const TargetFolder>(FolderOf(target_), path_);
    place_ = {folder_->device(), folder_->inode(), FileNamePart(target_)};
    struct stat old {};
    replaces_ = ::fstatat(folder_->fd(), place_.name.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode);
    Stage(bytes, replaces_ && !placeholder_ ? (old.st_mode & 07777) : (0666 & ~ProcessUmask()), naming);
}

void StagedFile::Stage(std::span<const std::uint8_t> bytes, mode_t mode, Naming naming) {
    if (naming == Naming::kUnnamedWherePossible)
        fd_ = UniqueFd(::openat(folder_->fd(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (!fd_) {
        fd_ = CreateLockedNamed(folder_->fd(), mode, temp_name_, path_);
        locked_ = true;
    }
    WriteAll(fd_.get(), bytes, path_);
    struct stat staged {};
    if (::fstat(fd_.get(), &staged) != 0) ThrowErrno(kCannotWrite, path_, errno);
    node_ = {static_cast<std::uint64_t>(staged.st_dev), static_cast<std::uint64_t>(staged.st_ino)};
    // The umask, or the folder's default permissions (an ACL), took bits off.
    if ((staged.st_mode & 07777) != mode && ::fchmod(fd_.get(), mode) != 0) ThrowErrno(kCannotWrite, path_, errno);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      place_(std::move(other.place_)),
      node_(other.node_),
      folder_(std::move(other.folder_)),
      fd_(std::move(other.fd_)),
      temp_name_(std::exchange(other.temp_name_, {})),
      locked_(other.locked_),
      replaces_(other.replaces_),
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
        locked_ = other.locked_;
        replaces_ = other.replaces_;
        placeholder_ = std::exchange(other.placeholder_, false);
        published_ = other.published_;
    }
    return *this;
}

StagedFile::~StagedFile() { Discard(); }

void StagedFile::Discard() noexcept {
    if (!folder_ || published_) return;
    if (!temp_name_.empty()) ::unlinkat(folder_->fd(), temp_name_.c_str(), 0);
    temp_name_.clear();
    // The empty file made for a link goes too, unless someone wrote to it since.
    struct stat st {};
    if (placeholder_ && ::fstatat(folder_->fd(), place_.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_size == 0 && (st.st_mode & 07777) == 0)
        ::unlinkat(folder_->fd(), place_.name.c_str(), 0);
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
    // nothing behind; one that replaces nothing gets the target's name at once.
    if (!(temp_name_.empty() && !replaces_ && LinkAsTarget())) {
        NameForRename();
        if (::renameat(folder_->fd(), temp_name_.c_str(), folder_->fd(), place_.name.c_str()) != 0)
            ThrowErrno(kCannotWrite, path_, errno);
        temp_name_.clear();
    }
    published_ = true;
    // The data was made durable before; closing releases the lock.
    fd_.close();
}

bool StagedFile::LinkAsTarget() {
    if (LinkUnnamed(fd_.get(), folder_->fd(), place_.name) == 0) return true;
    if (errno != EEXIST) ThrowErrno(kCannotWrite, path_, errno);
    return false;  // a file lies there by now: it is replaced like any other
}

void StagedFile::NameForRename() {
    if (!temp_name_.empty()) return;
    // Locked before it has a name, so that no cleaner takes it for stale.
    if (!locked_ && ::flock(fd_.get(), LOCK_EX) != 0) ThrowErrno(kCannotWrite, path_, errno);
    locked_ = true;
    for (int tries = 0; temp_name_.empty(); ++tries) {
        if (tries == kNameTries) ThrowErrno(kCannotWrite, path_, EEXIST);
        std::string name = TempName();
        if (LinkUnnamed(fd_.get(), folder_->fd(), name) == 0) temp_name_ = std::move(name);
        else if (errno != EEXIST) ThrowErrno(kCannotWrite, path_, errno);
    }
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
