#include "app/start_check.h"

#include <cstdlib>
#include <string_view>

#include "platform/translate.h"
#include "platform/version.h"

namespace nuthumb {
namespace {

constexpr char kUsage[] = N_(
    "使い方: nuthumb [--help | --version] [-platform NAME などの Qt のオプション]\n"
    "NuThumb のウィンドウを開きます。1 つのフォルダのすべての BMP または JPEG 画像の\n"
    "サムネイルを別のフォルダに作成します。設定は nuthumb.ini に、エラーリストは\n"
    "NuThumb.Err にあります。ビルドしたツリーやコピーしたプログラムフォルダでは\n"
    "プログラムの隣に、それ以外では $XDG_CONFIG_HOME/nuthumb（~/.config/nuthumb）に置きます。\n"
    "ウィンドウにはディスプレイ（X11 または Wayland）が必要です。ない場合は nuthumb-cli を\n"
    "使ってください。詳しくは nuthumb(1) を参照してください。\n");

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt's platform choice: a "-platform NAME" argument (or "--platform"), else
// $QT_QPA_PLATFORM; empty for Qt's default, which is a display server's.
std::string_view PlatformAsked(int argc, const char* const* argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform") return argv[i + 1];
    }
    const char* env = std::getenv("QT_QPA_PLATFORM");
    return env ? env : "";
}

// A list such as "wayland;xcb" is tried in order, so one platform that draws
// without a display server (offscreen, vnc, eglfs, ...) is enough.
bool NeedsDisplayServer(std::string_view platforms) {
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        std::string_view entry = platforms.substr(0, end);
        entry = entry.substr(0, entry.find(':'));  // "xcb:option" names xcb
        if (!entry.empty() && entry != "xcb" && !entry.starts_with("wayland")) return false;
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

std::optional<int> AnswerBeforeWindows(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << Tr(kUsage);
            return 0;
        }
        if (arg == "--version") {
            out << "nuthumb " << kVersion << "\n";
            return 0;
        }
    }
    // WAYLAND_SOCKET is how a compositor hands a started program its connection.
    if (NeedsDisplayServer(PlatformAsked(argc, argv)) && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") &&
        !IsSet("WAYLAND_SOCKET")) {
        err << "nuthumb: "
            << Tr("ディスプレイが見つかりません: DISPLAY か WAYLAND_DISPLAY を設定するか、nuthumb-cli を使ってください")
            << "\n";
        return 1;
    }
    return std::nullopt;
}

}  // namespace nuthumb
