#pragma once
// The lines of the batch log: "NO " + the entry's index from 0 + an ending.
#include <cstddef>
#include <string>
#include <string_view>

namespace nuthumb {

inline constexpr std::string_view kBatchLogStarted = " : サムネイル作成開始。";
inline constexpr std::string_view kBatchLogFinished = " : サムネイル作成終了。";
inline constexpr std::string_view kBatchLogNoSourceFile = " : 読込み元フォルダにファイルが存在しません。";
inline constexpr std::string_view kBatchLogCancelled = " : サムネイル作成を中断しました。";
// Ideographic spaces around a fullwidth hyphen-minus (CP932 81 40, 81 7C).
inline constexpr std::string_view kBatchLogDataError = " : 登録データエラー\u3000\uFF0D\u3000終了。";

inline std::string BatchLogLine(std::size_t index, std::string_view ending) {
    return "NO " + std::to_string(index) + std::string(ending);
}

inline constexpr char kBatchEmptyListMessage[] = "リストに何も登録されていません。";
// Followed by the error-list file's path.
inline constexpr char kBatchExportQuestion[] = "バッチ処理結果をリストを出力しますか?\r\nFilename : ";

}  // namespace nuthumb
