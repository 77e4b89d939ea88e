#include "platform/io_failure.h"

#include <cstring>
#include <sys/stat.h>

#include <utility>

#include "platform/file_io.h"
#include "platform/message_name.h"

namespace nuthumb {

IoError::IoError(const char* what, std::string_view path, std::string reason)
    : std::runtime_error(Fill(Tr(what), {NameForMessage(path), reason})),
      reason_(std::move(reason)),
      source_text_(Fill(what, {NameForMessage(path), reason_})) {}

void ThrowIoError(const char* what, const std::string& path, const std::string& reason) {
    throw IoError(what, path, reason);
}

void ThrowErrno(const char* what, const std::string& path, int err) { ThrowIoError(what, path, std::strerror(err)); }

std::string NotRegularFileReason(mode_t mode) {
    const char* kind = S_ISDIR(mode)    ? N_("フォルダ")
                       : S_ISCHR(mode)  ? N_("キャラクタデバイス")
                       : S_ISBLK(mode)  ? N_("ブロックデバイス")
                       : S_ISFIFO(mode) ? N_("名前付きパイプ")
                       : S_ISSOCK(mode) ? N_("ソケット")
                                        : N_("特殊なファイル");
    return Fill(Tr("{}であり、通常のファイルではありません"), {Tr(kind)});
}

}  // namespace nuthumb
