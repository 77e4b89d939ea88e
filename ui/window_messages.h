#pragma once
// The texts the main window shows after a run.
#include "platform/translate.h"

namespace nuthumb {

inline constexpr char kSizeErrorMessage[] = N_("サムネイルの指定サイズが間違っています。");

// Followed by CR LF, "Filename : " and the error-list file's path.
inline constexpr char kSingleRunExportQuestion[] =
    N_("サムネイル作成時にエラーになったファイルが存在します。エラーファイルリストを出力しますか?");

// Asked before a run whose targets are its own sources (one folder, no prefix or
// suffix, one format) would replace them: the number of such originals.
inline constexpr char kOriginalsReplacedQuestion[] =
    N_("読込み元と出力先が同じため、元の画像 {} 個がそれぞれ自身のサムネイルで置き換えられます。"
       "元の画像は元に戻せません。\r\n作成しますか?");
// The batch's question: the entries, one a line, as the log numbers them.
inline constexpr char kBatchOriginalsReplacedQuestion[] =
    N_("次のバッチ登録では読込み元と出力先が同じため、元の画像がそれぞれ自身のサムネイルで置き換えられます。"
       "元の画像は元に戻せません。\r\n{}\r\nバッチ処理を実行しますか?");

// The source format group's last item: every format the program reads.
inline constexpr char kEveryFormatCaption[] = N_("すべて");

}  // namespace nuthumb
