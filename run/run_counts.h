#pragma once
// What a folder run did with its files, for the report at its end.
#include <cstddef>
#include <string>

namespace nuthumb {

// What became of one listed file at its turn.
enum class TurnOutcome {
    kMade,       // its thumbnail was written
    kKept,       // a file was already at its target, and the overwrite mode kept it
    kFailed,     // its source path went into the ErrorList (a damaged source's
                 // partial thumbnail too: it is named like a failure)
    kCancelled,  // a stop request ended its decode: neither made nor failed
};

struct RunCounts {
    std::size_t made = 0;
    std::size_t kept = 0;
    // Failed files, and folders of a tree that could not be read: the lines a
    // single run puts into the ErrorList. A gallery run counts targets: a source
    // that fails to load is one line but fails each of its targets.
    std::size_t failed = 0;
    // Files the run never took up because it was cancelled.
    std::size_t not_reached = 0;
    // A run kept in sync: the targets it found up to date (and did not make),
    // and those --prune removed. `synced`/`pruned` say whether to report them.
    std::size_t up_to_date = 0;
    std::size_t removed = 0;
    bool synced = false;
    bool pruned = false;
    // A dry run: `made` and `removed` are what a real run would do.
    bool dry_run = false;

    void Add(TurnOutcome outcome);
    // A file counted as made whose target could not be put in place after its turn.
    void MadeTurnedFailed(std::size_t files) {
        made -= files;
        failed += files;
    }
    bool operator==(const RunCounts&) const = default;
};

// "作成: 3 個、既にあったため残した: 1 個、失敗: 1 個" in the user's language, with the
// files not reached after it when there are any, and what a run kept in sync
// found up to date and removed. A dry run says what it would make and remove.
std::string RunCountsText(const RunCounts& counts);

}  // namespace nuthumb
