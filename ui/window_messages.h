#pragma once
// The texts the main window shows after a run.
#include "platform/translate.h"

namespace nuthumb {

inline constexpr char kSizeErrorMessage[] = N_("サムネイルの指定サイズが間違っています。");

// Followed by CR LF, "Filename : " and the error-list file's path.
inline constexpr char kSingleRunExportQuestion[] =
    N_("サムネイル作成時にエラーになったファイルが存在します。エラーファイルリストを出力しますか?");

// The source format group's last item: every format the program reads.
inline constexpr char kEveryFormatCaption[] = N_("すべて");

}  // namespace nuthumb
