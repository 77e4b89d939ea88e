#include "run/run_counts.h"

#include "platform/translate.h"

namespace nuthumb {

void RunCounts::Add(TurnOutcome outcome) {
    switch (outcome) {
        case TurnOutcome::kMade: ++made; break;
        case TurnOutcome::kKept: ++kept; break;
        case TurnOutcome::kFailed: ++failed; break;
        case TurnOutcome::kCancelled: ++not_reached; break;
    }
}

std::string RunCountsText(const RunCounts& counts) {
    if (counts.dry_run)
        return Fill(Tr("作成する予定: {} 個、最新: {} 個、削除する予定: {} 個"),
                    {std::to_string(counts.made), std::to_string(counts.up_to_date), std::to_string(counts.removed)});
    std::string text = Fill(Tr("作成: {} 個、既にあったため残した: {} 個、失敗: {} 個"),
                            {std::to_string(counts.made), std::to_string(counts.kept), std::to_string(counts.failed)});
    if (counts.not_reached > 0)
        text += Fill(Tr("、中断のため未処理: {} 個"), {std::to_string(counts.not_reached)});
    if (counts.synced) text += Fill(Tr("、最新のため作らなかった: {} 個"), {std::to_string(counts.up_to_date)});
    if (counts.pruned) text += Fill(Tr("、削除: {} 個"), {std::to_string(counts.removed)});
    return text;
}

}  // namespace nuthumb
