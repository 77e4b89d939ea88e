#include "run/check_folders.h"

#include "platform/file_io.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// The failing case's message, or nullptr when both folders are usable.
const char* FolderProblem(const std::string& src_text, const std::string& dst_text) {
    if (src_text.empty() && dst_text.empty())
        return N_("読込み先フォルダ、保存先フォルダともに未設定です。");
    if (src_text.empty()) return N_("読込み先フォルダが未設定です。");
    if (dst_text.empty()) return N_("保存先フォルダが未設定です。");
    const bool src_exists = FolderExists(src_text);
    const bool dst_exists = FolderExists(dst_text);
    if (src_exists) return dst_exists ? nullptr : N_("保存先フォルダが存在しません。");
    return dst_exists ? N_("読み込み先フォルダが存在しません。")
                      : N_("読み込み先フォルダ、保存先フォルダともに存在しません。");
}

}  // namespace

bool FolderExists(const std::string& path) { return DirectoryExists(path); }

bool CheckFolders(RunHost& host, const std::string& src_text, const std::string& dst_text,
                  std::uint8_t message_flag) {
    const char* problem = FolderProblem(src_text, dst_text);
    if (problem == nullptr) return true;
    if (message_flag == 1) host.ShowError(Tr(problem));
    return false;
}

}  // namespace nuthumb
