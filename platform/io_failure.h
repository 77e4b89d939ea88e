#pragma once
// How file failures are put into words: one form for every IoError, so that a
// message always names the path and the system's reason.
#include <string>
#include <sys/types.h>

#include "platform/translate.h"

namespace nuthumb {

// What failed, as a pattern of the path and the reason ("{} を読み込めません: {}",
// in English "cannot read {}: {}"), in the user's language.
inline constexpr char kCannotOpen[] = N_("{} を開けません: {}");
inline constexpr char kCannotRead[] = N_("{} を読み込めません: {}");
inline constexpr char kCannotWrite[] = N_("{} に書き込めません: {}");
inline constexpr char kCannotSync[] = N_("{} のディスクに書き込めません: {}");

// Throws IoError `what` (one of the patterns above, or another marked N_) filled
// with `path` and `reason`.
[[noreturn]] void ThrowIoError(const char* what, const std::string& path, const std::string& reason);
// The same with the system's reason for `err` (strerror, in the user's language).
[[noreturn]] void ThrowErrno(const char* what, const std::string& path, int err);

// The reason given for something that is there but is no regular file, in the
// user's language ("フォルダであり、通常のファイルではありません", in English "it is
// a folder, not a regular file"); `mode` is a stat() st_mode.
std::string NotRegularFileReason(mode_t mode);

}  // namespace nuthumb
