#include "app/start_check.h"

#include <cstdlib>
#include <string_view>

#include "platform/version.h"

namespace nuthumb {
namespace {

constexpr std::string_view kUsage =
    "Usage: nuthumb [--help | --version] [Qt options such as -platform NAME]\n"
    "Opens the NuThumb window, which makes thumbnails of every BMP or JPEG image of\n"
    "one folder in another. The settings live in nuthumb.ini and the error list in\n"
    "NuThumb.Err: beside the program in a build tree or a copied program folder,\n"
    "else in $XDG_CONFIG_HOME/nuthumb (~/.config/nuthumb).\n"
    "The window needs a display (X11 or Wayland); without one use nuthumb-cli.\n"
    "See nuthumb(1).\n";

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
            out << kUsage;
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
        err << "nuthumb: no display found: set DISPLAY or WAYLAND_DISPLAY, or use nuthumb-cli\n";
        return 1;
    }
    return std::nullopt;
}

}  // namespace nuthumb
