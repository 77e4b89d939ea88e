#pragma once
// The lines of the batch log: "NO " + the entry's index from 0 + an ending. The
// log is written into the error-list file as it is here, in every language;
// ShownLogLine gives the screen's copy.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/translate.h"

namespace nuthumb {

inline constexpr std::string_view kBatchLogStarted = N_(" : サムネイル作成開始。");
inline constexpr std::string_view kBatchLogFinished = N_(" : サムネイル作成終了。");
inline constexpr std::string_view kBatchLogNoSourceFile = N_(" : 読込み元フォルダにファイルが存在しません。");
inline constexpr std::string_view kBatchLogCancelled = N_(" : サムネイル作成を中断しました。");
// Ideographic spaces around a fullwidth hyphen-minus (CP932 81 40, 81 7C).
inline constexpr std::string_view kBatchLogDataError = N_(" : 登録データエラー\u3000\uFF0D\u3000終了。");
// An entry that would replace its sources with their own thumbnails, refused
// for want of the user's word (only the command line refuses: the window asks).
inline constexpr std::string_view kBatchLogOriginalsKept =
    N_(" : 元の画像がそれぞれ自身のサムネイルで置き換えられるため、実行しません（置き換えるには --overwrite always）。");

inline std::string BatchLogLine(std::size_t index, std::string_view ending) {
    return "NO " + std::to_string(index) + std::string(ending);
}

// A log line in the user's language, from an ending already in it.
std::string ShownLogLine(std::size_t index, std::string_view shown_ending);

// Asked once before a batch in which entries would replace their sources: the
// entries, one a line, as the log numbers them.
inline constexpr char kBatchOriginalsReplacedQuestion[] =
    N_("次のバッチ登録では読込み元と出力先が同じため、元の画像がそれぞれ自身のサムネイルで置き換えられます。"
       "元の画像は元に戻せません。\r\n{}\r\nバッチ処理を実行しますか?");

inline constexpr char kBatchEmptyListMessage[] = N_("リストに何も登録されていません。");
// Followed by the error-list file's path.
inline constexpr char kBatchExportQuestion[] = N_("バッチ処理結果をリストを出力しますか?\r\nFilename : ");

}  // namespace nuthumb
