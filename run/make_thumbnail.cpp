#include "run/make_thumbnail.h"

#include <exception>

#include "run/conversion_messages.h"
#include "run/failed_file.h"
#include "run/file_publisher.h"
#include "run/target_decision.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/staged_file.h"

namespace nuthumb {
void ReportWriteFailure(RunHost& host, const std::string& source_path, const std::string& final_path,
                        const std::string& reason) {
    ReportFailedFile(host, source_path, Tr(kWriteFailureMessage) + FileNamePart(final_path) + "\r\n" + reason,
                     Fill(Tr("{} に書き込めません: {}"), {final_path, reason}));
}

bool FinishThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, PreparedThumbnail prepared, FilePublisher* publisher) {
    using Outcome = PreparedThumbnail::Outcome;
    switch (prepared.outcome) {
        case Outcome::kCancelled:
            // Not the file's fault, so not recorded; the run stops after this file.
            host.SetCancelFlag(true);
            return false;
        case Outcome::kCannotRead:
            ReportFailedFile(host, source_path,
                             Tr(kReadFailureMessage) + FileNamePart(source_path) + "\r\n" + prepared.reason,
                             Fill(Tr("読み込めません: {}"), {prepared.reason}));
            return false;
        case Outcome::kDamaged:
            ReportFailedFile(host, source_path, Tr(kLoadFailureMessage) + FileNamePart(source_path),
                             Tr("読み込めません: 壊れているか、正しいサムネイルを作れません"));
            return false;
        case Outcome::kReady:
        case Outcome::kCannotEncode:
            break;
    }

    const std::string final_path = FinalTargetName(target_path, target_format);
    if (!MayWriteTarget(host, final_path)) return false;
    if (prepared.outcome == Outcome::kCannotEncode) {
        ReportWriteFailure(host, source_path, final_path, prepared.reason);
        return false;
    }
    try {
        if (publisher)
            publisher->Publish(StagedFile(final_path, prepared.target_bytes), source_path);
        else
            WriteFileAtomic(final_path, prepared.target_bytes);
        return true;
    } catch (const std::exception& e) {
        ReportWriteFailure(host, source_path, final_path, e.what());
        return false;
    }
}

bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   const Conversion& conversion) {
    const DecodeOptions options{[&host] { return host.StopRequested(); }};
    return FinishThumbnail(host, source_path, target_path, conversion.target_format,
                           PrepareThumbnail(source_path, conversion, options), nullptr);
}

}  // namespace nuthumb
