#include "run/file_turn.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <optional>
#include <string_view>
#include <vector>

#include "image/prepare_thumbnail.h"
#include "run/conversion_messages.h"
#include "run/conversion_pipeline.h"
#include "platform/file_io.h"
#include "platform/make_folders.h"
#include "platform/message_name.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

// One file's turn: its paths, how message boxes name them, and what the write
// does besides the bytes.
struct Turn {
    const std::string& source_path;
    const std::string& final_path;
    std::string shown_source, shown_target;
    std::string_view folders_root;  // missing target folders are made below it; empty: none
    bool keep_dates = false;
    // What fails the source itself is shown once, however many targets it has.
    bool* source_reported = nullptr;
};

// Whether a failure of the source itself is still to be shown for this turn.
bool FirstForSource(const Turn& turn) {
    if (!turn.source_reported) return true;
    if (*turn.source_reported) return false;
    *turn.source_reported = true;
    return true;
}

// `box` is the message box's text; `reason` says in a few words what went wrong
// with `source_path`.
void ReportFailedFile(RunHost& host, const std::string& source_path, const std::string& box,
                      std::string_view reason) {
    if (host.ReportLoadErrors()) host.ShowError(box);
    host.AppendError(source_path);
    host.NoteFailedFile(source_path, reason);
}

// A source that decoded only in part: its target is made as far as the data
// goes, but the file is named with the reason, like a load failure, and counts
// as failed. Each box text is followed by the file's name.
// True when it was reported.
bool ReportDamagedSource(RunHost& host, const Turn& turn, SourceDamage damage) {
    if (damage == SourceDamage::kNone) return false;
    if (!FirstForSource(turn)) return true;
    static constexpr char kTruncatedMessage[] =
        N_("ファイルが途中で切れています。読めた所までで作成しました。\r\nFilename : ");
    static constexpr char kCorruptDataMessage[] =
        N_("ファイルの一部が壊れています。読めた部分から作成しました。\r\nFilename : ");
    const bool truncated = damage == SourceDamage::kTruncated;
    ReportFailedFile(host, turn.source_path,
                     MessageWithName(Tr(truncated ? kTruncatedMessage : kCorruptDataMessage), turn.shown_source),
                     truncated ? Tr("途中で切れています: 読めた所までで作成しました")
                               : Tr("データの一部が壊れています: 読めた部分から作成しました"));
    return true;
}

// A source that gave no image: unreadable, with the system's reason; damaged,
// with what became of its decoder when it stopped.
void ReportUnloadedSource(RunHost& host, const Turn& turn, const PreparedThumbnail& prepared) {
    const bool unreadable = prepared.outcome == PreparedThumbnail::Outcome::kCannotRead;
    const std::string box =
        MessageWithName(Tr(unreadable ? kReadFailureMessage : kLoadFailureMessage), turn.shown_source);
    if (!unreadable && prepared.reason.empty()) {
        ReportFailedFile(host, turn.source_path, box,
                         Tr("読み込めません: 壊れているか、正しいサムネイルを作れません"));
        return;
    }
    ReportFailedFile(host, turn.source_path, box + "\r\n" + prepared.reason,
                     Fill(Tr("読み込めません: {}"), {prepared.reason}));
}

// True when no file of that name exists (a folder does not count), or the host's
// live OverwriteMode allows replacing it (asking names the file).
bool MayReplace(RunHost& host, const Turn& turn) {
    if (!FileExists(turn.final_path)) return true;
    switch (host.LiveOverwriteMode()) {
        case OverwriteMode::kAlways:
            return true;
        case OverwriteMode::kAsk:
            return host.AskOkCancel(MessageWithName(Tr(kOverwriteQuestion), turn.shown_target));
        case OverwriteMode::kNever:
            break;
    }
    return false;
}

// Before anything is loaded: the target must not be one this run wrote, and an
// existing one must be allowed to go. What became of the file when it is not
// loaded; nothing when it is.
std::optional<TurnOutcome> RefusedBeforeLoad(RunHost& host, const Turn& turn, const WrittenTargets& written) {
    if (written.Contains(turn.final_path)) {
        ReportFailedFile(host, turn.source_path, MessageWithName(Tr(kTargetTakenMessage), turn.shown_target),
                         Fill(Tr("サムネイル {} はこの実行の前のファイルのために書き込まれました"),
                              {NameForMessage(turn.final_path)}));
        return TurnOutcome::kFailed;
    }
    if (!MayReplace(host, turn)) return TurnOutcome::kKept;
    return std::nullopt;
}

void ReportWriteFailure(RunHost& host, const Turn& turn, const std::string& reason) {
    ReportFailedFile(host, turn.source_path,
                     MessageWithName(Tr(kWriteFailureMessage), turn.shown_target) + "\r\n" + reason,
                     Fill(Tr("{} に書き込めません: {}"), {NameForMessage(turn.final_path), reason}));
}

// The staged target: its folders made when the run mirrors a tree, its source's
// modification time when the dates are kept.
StagedFile StageTarget(const Turn& turn, const PreparedThumbnail& prepared) {
    try {
        if (!turn.folders_root.empty())
            MakeFoldersBelow(std::string(turn.folders_root), DirectoryPart(turn.final_path));
    } catch (const IoError& error) {
        // The whole text, not the system's words alone: they would not say which folder.
        throw std::runtime_error(error.what());
    }
    StagedFile staged(turn.final_path, prepared.target_bytes);
    if (turn.keep_dates && prepared.source) staged.SetModificationTime(prepared.source->modified);
    return staged;
}

// What a turn that got as far as the load came to; `node` is the file the target
// becomes when it was written (or handed over).
struct Saved {
    TurnOutcome outcome;
    std::optional<FileNode> node;
};

// The turn from the load's outcome on: a failed load is shown and recorded;
// otherwise the save-time overwrite decision, then the write. Without a
// `publisher` the target is written and synced at once; with one it is staged and
// handed over, and a failure there arrives later through the publisher.
Saved SaveThumbnail(RunHost& host, const Turn& turn, PreparedThumbnail prepared, FilePublisher* publisher) {
    const std::string& source_path = turn.source_path;
    using Outcome = PreparedThumbnail::Outcome;
    switch (prepared.outcome) {
        case Outcome::kCancelled:
            // Not the file's fault, so not recorded; the run stops after this file.
            host.SetCancelFlag(true);
            return {TurnOutcome::kCancelled, std::nullopt};
        case Outcome::kCannotRead:
        case Outcome::kDamaged:
            if (FirstForSource(turn)) ReportUnloadedSource(host, turn, prepared);
            return {TurnOutcome::kFailed, std::nullopt};
        case Outcome::kReady:
        case Outcome::kCannotEncode:
            break;
    }

    if (!MayReplace(host, turn)) {
        const bool damaged = ReportDamagedSource(host, turn, prepared.damage);
        return {damaged ? TurnOutcome::kFailed : TurnOutcome::kKept, std::nullopt};
    }
    if (prepared.outcome == Outcome::kCannotEncode) {
        ReportWriteFailure(host, turn, prepared.reason);
        return {TurnOutcome::kFailed, std::nullopt};
    }
    std::optional<FileNode> node;
    try {
        StagedFile staged = StageTarget(turn, prepared);
        node = staged.node();
        if (publisher) {
            publisher->Publish(std::move(staged), source_path, [&host] { host.WhileWaitingForWorkers(); });
        } else {
            staged.Sync();
            staged.Publish();
        }
    } catch (const std::exception& e) {
        ReportWriteFailure(host, turn, ReasonOf(e));
        return {TurnOutcome::kFailed, std::nullopt};
    }
    // After the write, so that a file whose write also fails is named once.
    const bool damaged = ReportDamagedSource(host, turn, prepared.damage);
    return {damaged ? TurnOutcome::kFailed : TurnOutcome::kMade, node};
}

}  // namespace

bool WrittenTargets::Contains(const std::string& final_path) const {
    struct stat st {};
    if (nodes_.empty() || ::stat(final_path.c_str(), &st) != 0) return false;
    return nodes_.contains({static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
}

std::vector<TurnOutcome> TakeFileTurn(RunHost& host, const RunFiles& files, std::size_t i,
                                      ConversionPipeline& pipeline, WrittenTargets& written) {
    bool source_reported = false;
    std::vector<Turn> turns;
    std::vector<std::optional<TurnOutcome>> outcomes;
    for (std::size_t v = 0; v < files.targets_per_source; ++v) {
        turns.push_back(Turn{files.sources[i], files.FinalTarget(i, v), files.ShownSource(i), files.ShownTarget(i, v),
                             files.made_folders_root, pipeline.conversion(v).photo.keep_dates, &source_reported});
        outcomes.push_back(RefusedBeforeLoad(host, turns.back(), written));
    }
    if (std::all_of(outcomes.begin(), outcomes.end(), [](const auto& outcome) { return outcome.has_value(); })) {
        pipeline.Skip(i);
    } else {
        std::vector<PreparedThumbnail> prepared = pipeline.Take(i);
        for (std::size_t v = 0; v < turns.size(); ++v) {
            if (outcomes[v]) continue;
            const Saved saved = SaveThumbnail(host, turns[v], std::move(prepared[v]), pipeline.publisher());
            if (saved.node) written.Add(*saved.node, saved.outcome == TurnOutcome::kMade);
            outcomes[v] = saved.outcome;
        }
    }
    std::vector<TurnOutcome> result;
    for (const auto& outcome : outcomes) result.push_back(*outcome);
    return result;
}

bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   const Conversion& conversion) {
    const DecodeOptions options{[&host] { return host.StopRequested(); }};
    const std::string final_path = FinalTargetName(target_path, conversion.target_format);
    const Turn turn{source_path, final_path, FileNamePart(source_path), FileNamePart(final_path), {},
                    conversion.photo.keep_dates};
    return SaveThumbnail(host, turn, PrepareThumbnail(source_path, conversion, options), nullptr).node.has_value();
}

void ReportWriteFailure(RunHost& host, const std::string& source_path, const std::string& final_path,
                        const std::string& reason) {
    const Turn turn{source_path, final_path, FileNamePart(source_path), FileNamePart(final_path), {}, false};
    ReportWriteFailure(host, turn, reason);
}

}  // namespace nuthumb
