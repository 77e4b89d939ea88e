#include "run/damaged_source.h"

#include "platform/message_name.h"
#include "platform/path_util.h"
#include "platform/translate.h"
#include "run/failed_file.h"

namespace nuthumb {
namespace {

// Each box text is followed by the file's name.
constexpr char kTruncatedMessage[] = N_("ファイルが途中で切れています。読めた所までで作成しました。\r\nFilename : ");
constexpr char kCorruptDataMessage[] = N_("ファイルの一部が壊れています。読めた部分から作成しました。\r\nFilename : ");

}  // namespace

void ReportDamagedSource(RunHost& host, const std::string& source_path, SourceDamage damage) {
    if (damage == SourceDamage::kNone) return;
    const bool truncated = damage == SourceDamage::kTruncated;
    ReportFailedFile(host, source_path,
                     MessageWithName(Tr(truncated ? kTruncatedMessage : kCorruptDataMessage), FileNamePart(source_path)),
                     truncated ? Tr("途中で切れています: 読めた所までで作成しました")
                               : Tr("データの一部が壊れています: 読めた部分から作成しました"));
}

}  // namespace nuthumb
