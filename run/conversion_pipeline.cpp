#include "run/conversion_pipeline.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>
#include <unordered_set>

#include "run/file_turn.h"
#include "run/prepare_aside.h"
#include "platform/descriptor_limit.h"
#include "platform/file_io.h"
#include "platform/write_target.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

// Where each path lies: its folder by device and inode, and its name. Paths in
// list order share folders, so each folder is looked up once per run of them;
// nullopt for a path whose folder is not there (a target folder still to make).
std::vector<std::optional<LandingPlace>> PlacesOf(const std::vector<std::string>& paths) {
    std::vector<std::optional<LandingPlace>> places;
    places.reserve(paths.size());
    std::string folder;
    std::optional<FileIdentity> identity;
    for (const std::string& path : paths) {
        std::string next = FolderOf(path);
        if (places.empty() || next != folder) {
            identity = IdentityOf(next);
            folder = std::move(next);
        }
        if (identity) places.push_back(LandingPlace{identity->device, identity->inode, FileNamePart(path)});
        else places.emplace_back();
    }
    return places;
}

std::string PlaceKey(const LandingPlace& place) {
    return std::to_string(place.folder_device) + ':' + std::to_string(place.folder_inode) + '/' + place.name;
}

// Sources that an earlier file's target of the same run replaces: where a target
// folder is a source folder, a target can be a later file's source (a.jpg →
// t_a.jpg while t_a.jpg waits its turn), and that source must be read as the
// earlier file left it.
std::vector<bool> WrittenBeforeRead(const std::vector<std::optional<LandingPlace>>& sources, const RunFiles& files) {
    std::vector<bool> written_before_read(sources.size(), false);
    const std::vector<std::optional<LandingPlace>> targets = PlacesOf(files.final_targets);
    std::unordered_set<std::string> targets_so_far;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        written_before_read[i] = sources[i] && targets_so_far.contains(PlaceKey(*sources[i]));
        for (std::size_t v = 0; v < files.targets_per_source; ++v) {
            const std::optional<LandingPlace>& target = targets[i * files.targets_per_source + v];
            if (target) targets_so_far.insert(PlaceKey(*target));
        }
    }
    return written_before_read;
}

// A source's size, for taking up the largest files first; 0 for one that is gone.
std::uint64_t SizeOf(const std::string& path) {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    return identity && identity->size > 0 ? static_cast<std::uint64_t>(identity->size) : 0;
}

// How many files may be prepared ahead: thumbnails are small, so many may wait;
// an unscaled copy can be as large as its source, so only a few.
std::size_t LookaheadFor(const std::vector<Conversion>& conversions, int threads) {
    return static_cast<std::size_t>(threads) * (conversions.front().resize ? 8 : 1);
}

// Each file waiting for the publisher holds two descriptors (the file and its
// folder). Leave room for the workers' sources, the error list and the host, so
// that a low limit on open files costs speed, never files.
std::size_t PublisherQueueLength(int workers) {
    constexpr std::size_t kMost = 64;
    const std::size_t reserve = 16 + 2 * static_cast<std::size_t>(workers);
    const std::size_t free = FreeDescriptors();
    return free > reserve + 2 ? std::min(kMost, (free - reserve) / 2) : 1;
}

std::uint64_t BudgetOf(const RunHost& host) {
    const std::uint64_t limit = host.MemoryLimit();
    return limit > 0 ? limit : DefaultMemoryBudget();
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

ConversionPipeline::ConversionPipeline(RunHost& host, const RunFiles& files, std::vector<Conversion> conversions,
                                       int workers)
    : host_(host),
      files_(files),
      source_places_(PlacesOf(files.sources)),
      conversions_(std::move(conversions)),
      options_{[&host] { return host.StopRequested(); }},
      written_before_read_(WrittenBeforeRead(source_places_, files)),
      overwrite_mode_(host.LiveOverwriteMode()),
      budget_(BudgetOf(host)),
      prefetcher_(
          files.sources, [&files](std::size_t i) { return SizeOf(files.sources[i]); }, conversions_, workers,
          LookaheadFor(conversions_, workers), [this](std::size_t i) { return WorthEarly(i); }, budget_) {
    // Made after the workers start: they never touch the publisher.
    if (workers == 0) return;
    try {
        publisher_.emplace(PublisherQueueLength(workers));
    } catch (const std::system_error&) {
        // No thread to spare: targets are written at once, as on one thread.
    }
}

ConversionPipeline::~ConversionPipeline() { prefetcher_.Stop(); }

bool ConversionPipeline::WorthEarly(std::size_t i) const {
    if (written_before_read_[i]) return false;
    // A target that exists while nothing may be replaced will be skipped by the
    // pre-check; the mode can still change before the file's turn, which then
    // prepares it itself.
    if (overwrite_mode_.load(std::memory_order_relaxed) != OverwriteMode::kNever) return true;
    for (std::size_t v = 0; v < files_.targets_per_source; ++v)
        if (!FileExists(files_.FinalTarget(i, v))) return true;
    return false;
}

bool ConversionPipeline::MayBeReplacedByWaitingTarget(std::size_t i) const {
    if (!publisher_ || !publisher_->AnyWaiting()) return false;
    // A link can name any file, a waiting target among them.
    if (IsLink(files_.sources[i])) return true;
    return source_places_[i] && publisher_->IsWaiting(*source_places_[i]);
}

std::vector<PreparedThumbnail> ConversionPipeline::Take(std::size_t i) {
    const auto while_waiting = [this] { host_.WhileWaitingForWorkers(); };
    if (MayBeReplacedByWaitingTarget(i)) publisher_->Drain(while_waiting);
    std::optional<std::vector<PreparedThumbnail>> early = prefetcher_.TakeEarly(i, options_, in_hand_, while_waiting);
    // Every target of a file was made from the one reading of it.
    const PreparedThumbnail* first = early ? &early->front() : nullptr;
    if (first && first->outcome == PreparedThumbnail::Outcome::kCancelled) return std::move(*early);
    // Read early, the file may have been replaced since (by this run or anyone):
    // then it is read again, as the one-thread run would read it now.
    if (first && first->source && first->source == IdentityOf(files_.sources[i])) return std::move(*early);
    // With workers, the run's thread decodes nothing itself: it stays free for
    // the host's events while another thread prepares the file at its turn.
    if (!publisher_) return PrepareThumbnails(files_.sources[i], conversions_, options_);
    // It waits for the workers' memory like any decode, but goes first.
    DecodeOptions options = options_;
    options.reserve_memory = [this](std::uint64_t bytes, const DecodeOptions& self) {
        budget_.Acquire(in_hand_, bytes, [] { return true; }, self);
    };
    return PrepareAside(files_.sources[i], conversions_, options, while_waiting);
}

void ConversionPipeline::Skip(std::size_t i) {
    in_hand_.Release();
    prefetcher_.Skip(i);
}

std::size_t ConversionPipeline::Settle(std::size_t i, WrittenTargets& written) {
    in_hand_.Release();  // the last file's target is staged by now
    for (std::size_t v = 0; v < files_.targets_per_source && publisher_ && publisher_->AnyWaiting(); ++v) {
        const std::optional<LandingPlace> place = PlaceOfWriteTarget(files_.FinalTarget(i, v));
        if (!place || publisher_->IsWaiting(*place)) publisher_->Drain([this] { host_.WhileWaitingForWorkers(); });
    }
    return ReportLateFailures(written);
}

std::size_t ConversionPipeline::ReportLateFailures(WrittenTargets& written) {
    if (!publisher_) return 0;
    std::size_t made = 0;
    for (const PublishFailure& failure : publisher_->TakeFailures()) {
        if (written.Remove(failure.node)) ++made;
        ReportWriteFailure(host_, failure.source_path, failure.target_path, failure.reason);
    }
    return made;
}

std::size_t ConversionPipeline::Finish(WrittenTargets& written) {
    const auto while_waiting = [this] { host_.WhileWaitingForWorkers(); };
    in_hand_.Release();
    prefetcher_.Stop(while_waiting);
    budget_.ReturnFreedMemoryIfDue();  // the last huge decode's memory, too
    if (publisher_) publisher_->Drain(while_waiting);
    return ReportLateFailures(written);
}

}  // namespace nuthumb
