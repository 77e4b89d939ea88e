// Times the window program's start-up to its first frame and its exit, with a
// settings file that holds 1,000 batch entries. Every run is a fresh process (this
// program started again with --child), as a user's start is: loading Qt, the
// fonts, the three windows with the settings and the list, the first paint; then
// closing, storing everything and the process's end. Best of the runs, in each
// language (Japanese, English, C), the languages interleaved.
// Usage: bench_window_start_exit [runs]   (default 5; uses $QT_QPA_PLATFORM, or
// offscreen when there is no display)
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_windows.h"
#include "platform/file_io.h"
#include "platform/translate.h"
#include "tests/support/child_process.h"

namespace {

using namespace nuthumb;

long long NowNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

std::string SettingsWithBatchList(int entries) {
    std::string ini = "[SYSTEM]\r\nBatch=1\r\n";
    for (int i = 0; i < entries; ++i) {
        const std::string k = std::to_string(i);
        ini += "Script" + std::to_string(i + 1) + "=\"/home/user/写真/旅行2024/北海道_" + k +
               "\",\"1\",\"/home/user/サムネイル/出力_" + k + "\",\"0\",\"thumb_\",\"_小\",\"" +
               std::to_string(30 + i % 611) + "\",\"" + std::to_string(i % 3) + "\",\"1\"\r\n";
    }
    return ini + "Script" + std::to_string(entries + 1) + "=\r\n";
}

// Watches the main window's first paint; the frame is on the screen once the
// event loop comes round after it.
class FirstFrame : public QObject {
public:
    long long at = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !armed_) {
            armed_ = true;
            QTimer::singleShot(0, [this] { at = NowNs(); });
        }
        return false;
    }

private:
    bool armed_ = false;
};

// The measured program: prints the time of its first frame and of the close.
int Child(int argc, char** argv, const std::string& folder) {
    InitTranslation();
    QApplication app(argc, argv);
    long long closed = 0;
    {
        ProgramWindows windows({folder + "/nuthumb.ini", folder + "/NuThumb.Err"});
        FirstFrame frame;
        windows.Main().installEventFilter(&frame);
        windows.Main().show();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (frame.at == 0) return;
            closed = NowNs();
            windows.Main().close();
        });
        poll.start(0);
        QApplication::exec();
        std::printf("%lld %lld\n", frame.at, closed);
        std::fflush(stdout);
    }
    return 0;
}

struct Run {
    double start_ms, exit_ms;
};

Run MeasureOnce(const std::string& self, const std::string& folder, const std::string& ini) {
    WriteFileAtomic(folder + "/nuthumb.ini", ini);
    const long long spawned = NowNs();
    const test::ChildEnd child = test::RunChild({.capture_stdout = true}, {self, "--child", folder});
    const long long ended = NowNs();
    long long frame = 0, closed = 0;
    if (child.exit_code != 0 || std::sscanf(child.out.c_str(), "%lld %lld", &frame, &closed) != 2) {
        std::fprintf(stderr, "the measured program failed: %s\n", child.out.c_str());
        std::exit(1);
    }
    return {(frame - spawned) / 1e6, (ended - closed) / 1e6};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") return Child(argc, argv, argv[2]);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string folder = (std::filesystem::temp_directory_path() / "nuthumb-bench-window").string();
    std::filesystem::create_directories(folder);
    const std::string ini = SettingsWithBatchList(1000);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

    const std::vector<std::string> languages = {"ja_JP.UTF-8", "en_US.UTF-8", "C.UTF-8"};
    std::vector<Run> best(languages.size(), Run{1e9, 1e9});
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) ::unsetenv(name);
    for (int i = 0; i < runs; ++i) {
        for (std::size_t l = 0; l < languages.size(); ++l) {
            ::setenv("LANG", languages[l].c_str(), 1);
            const Run r = MeasureOnce(self, folder, ini);
            std::printf("run %d, %s: start-up to first frame %.1f ms, exit %.1f ms\n", i + 1, languages[l].c_str(),
                        r.start_ms, r.exit_ms);
            best[l].start_ms = std::min(best[l].start_ms, r.start_ms);
            best[l].exit_ms = std::min(best[l].exit_ms, r.exit_ms);
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    for (std::size_t l = 0; l < languages.size(); ++l)
        std::printf("best of %d (%s, %s, 1,000 batch entries, %zu KB settings file): start-up %.1f ms, exit %.1f ms\n",
                    runs, languages[l].c_str(), platform ? platform : "default platform", ini.size() / 1024,
                    best[l].start_ms, best[l].exit_ms);
    std::filesystem::remove_all(folder);
    return 0;
}
