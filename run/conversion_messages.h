#pragma once
// The texts the conversion shows (translated where shown, through Tr); each is
// followed by the file's name.
#include "platform/translate.h"

namespace nuthumb {

inline constexpr char kLoadFailureMessage[] =
    N_("ファイルが壊れている可能性があります。\r\nFilename : ");
inline constexpr char kOverwriteQuestion[] = N_("同一ファイルが存在します。上書きしますか?\r\nFilename : ");
// A source that cannot be read at all (no permission, not a regular file, too
// large): followed by the name, CR LF and the reason, instead of calling it damaged.
inline constexpr char kReadFailureMessage[] = N_("ファイルを読み込めません。\r\nFilename : ");
// Followed by the name, CR LF and the system's reason.
inline constexpr char kWriteFailureMessage[] = N_("ファイルを書き込めません。\r\nFilename : ");
// A source whose target an earlier source of the same run wrote (a.JPG and a.Jpg
// both become a.bmp); followed by the target's name.
inline constexpr char kTargetTakenMessage[] =
    N_("出力ファイル名が他の画像と重複するため作成しません。\r\nFilename : ");
// A source folder that exists but cannot be listed; followed by the folder, CR LF
// and the system's reason. Front ends show it instead of the no-file result.
inline constexpr char kFolderReadFailureMessage[] = N_("読込み元フォルダを読み込めません。\r\nFilename : ");
// Asked before a run whose targets are its own sources (one folder, no prefix or
// suffix, one format) would replace them: the number of such originals.
inline constexpr char kOriginalsReplacedQuestion[] =
    N_("読込み元と出力先が同じため、元の画像 {} 個がそれぞれ自身のサムネイルで置き換えられます。"
       "元の画像は元に戻せません。\r\n作成しますか?");

}  // namespace nuthumb
