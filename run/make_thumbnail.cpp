#include "run/make_thumbnail.h"

#include <exception>

#include "run/conversion_messages.h"
#include "run/damaged_source.h"
#include "run/failed_file.h"
#include "run/file_publisher.h"
#include "run/target_decision.h"
#include "platform/file_io.h"
#include "platform/message_name.h"
#include "platform/path_util.h"

namespace nuthumb {
void ReportWriteFailure(RunHost& host, const std::string& source_path, const std::string& final_path,
                        const std::string& reason) {
    ReportFailedFile(host, source_path,
                     MessageWithName(Tr(kWriteFailureMessage), FileNamePart(final_path)) + "\r\n" + reason,
                     Fill(Tr("{} に書き込めません: {}"), {NameForMessage(final_path), reason}));
}

std::optional<FileNode> FinishThumbnail(RunHost& host, const std::string& source_path,
                                        const std::string& target_path, ImageFormat target_format,
                                        PreparedThumbnail prepared, FilePublisher* publisher) {
    using Outcome = PreparedThumbnail::Outcome;
    switch (prepared.outcome) {
        case Outcome::kCancelled:
            // Not the file's fault, so not recorded; the run stops after this file.
            host.SetCancelFlag(true);
            return std::nullopt;
        case Outcome::kCannotRead:
            ReportFailedFile(host, source_path,
                             MessageWithName(Tr(kReadFailureMessage), FileNamePart(source_path)) + "\r\n" +
                                 prepared.reason,
                             Fill(Tr("読み込めません: {}"), {prepared.reason}));
            return std::nullopt;
        case Outcome::kDamaged:
            ReportFailedFile(host, source_path, MessageWithName(Tr(kLoadFailureMessage), FileNamePart(source_path)),
                             Tr("読み込めません: 壊れているか、正しいサムネイルを作れません"));
            return std::nullopt;
        case Outcome::kReady:
        case Outcome::kCannotEncode:
            break;
    }

    const std::string final_path = FinalTargetName(target_path, target_format);
    if (!MayWriteTarget(host, final_path)) {
        ReportDamagedSource(host, source_path, prepared.damage);
        return std::nullopt;
    }
    if (prepared.outcome == Outcome::kCannotEncode) {
        ReportWriteFailure(host, source_path, final_path, prepared.reason);
        return std::nullopt;
    }
    std::optional<FileNode> node;
    try {
        StagedFile staged(final_path, prepared.target_bytes);
        node = staged.node();
        if (publisher) {
            publisher->Publish(std::move(staged), source_path);
        } else {
            staged.Sync();
            staged.Publish();
        }
    } catch (const std::exception& e) {
        ReportWriteFailure(host, source_path, final_path, ReasonOf(e));
        return std::nullopt;
    }
    // After the write, so that a file whose write fails is named once.
    ReportDamagedSource(host, source_path, prepared.damage);
    return node;
}

bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   const Conversion& conversion) {
    const DecodeOptions options{[&host] { return host.StopRequested(); }};
    return FinishThumbnail(host, source_path, target_path, conversion.target_format,
                           PrepareThumbnail(source_path, conversion, options), nullptr)
        .has_value();
}

}  // namespace nuthumb
