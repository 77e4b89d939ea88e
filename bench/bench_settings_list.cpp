// Times the settings work of a program exit with a batch list of 1,000 entries:
// the dialog's two keys, the window position, the ten form keys and the list, in
// that order, into a settings file that already holds the previous list.
// Usage: bench_settings_list [folder]   (default: a fresh folder under /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "settings/dialog_settings.h"
#include "settings/form_settings.h"
#include "settings/ini_list.h"
#include "settings/settings_file.h"
#include "settings/settings_table.h"
#include "settings/window_position.h"

namespace {

using namespace nuthumb;

class BenchWindow : public PlaceableWindow {
public:
    std::int32_t Left() const override { return 297; }
    std::int32_t Top() const override { return 159; }
    std::int32_t Width() const override { return 429; }
    std::int32_t Height() const override { return 449; }
    void SetLeft(std::int32_t) override {}
    void SetTop(std::int32_t) override {}
    std::int32_t ScreenWidth() const override { return 1024; }
    std::int32_t ScreenHeight() const override { return 768; }
};

// Nine double-quoted fields: source, format, target, format, prefix, suffix,
// size, basis, resize flag.
std::vector<std::string> BatchList(int n) {
    std::vector<std::string> list;
    for (int i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        list.push_back("\"/home/user/写真/旅行2024/北海道_" + k + "\",\"jpg\",\"/home/user/サムネイル/出力_" + k +
                       "\",\"bmp\",\"thumb_\",\"_小\",\"" + std::to_string(30 + i % 611) + "\",\"" +
                       std::to_string(i % 3) + "\",\"1\"");
    }
    return list;
}

void SaveAtExit(const std::string& path, const std::vector<std::string>& list) {
    FormSettings form;
    form.src_dir = "/home/user/写真/旅行2024";
    form.dst_dir = "/home/user/サムネイル";
    form.file_head = "thumb_";
    form.batch = true;
    SaveDialogSettings(path, DialogSettings{});
    SaveWindowPosition(path, BenchWindow{});
    SaveFormSettings(path, form);
    WriteListToIni(path, keys::kSystem, keys::kScriptPrefix, list);
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        std::string tmpl = "/tmp/nuthumb-bench-XXXXXX";
        if (!::mkdtemp(tmpl.data())) return 1;
        folder = tmpl;
    }
    const std::string path = folder + "/NuThumb.ini";
    const auto list = BatchList(1000);
    SaveAtExit(path, list);  // the previous exit's file

    double best_save = 1e9, best_read = 1e9, best_key = 1e9;
    for (int run = 0; run < 5; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        SaveAtExit(path, list);
        auto t1 = std::chrono::steady_clock::now();
        std::vector<std::string> back;
        ReadListFromIni(path, keys::kSystem, keys::kScriptPrefix, back);
        auto t2 = std::chrono::steady_clock::now();
        if (back != list) {
            std::fprintf(stderr, "list did not read back\n");
            return 1;
        }
        SettingsFile file(path);
        auto t3 = std::chrono::steady_clock::now();
        file.Write(keys::kLeft, run);
        auto t4 = std::chrono::steady_clock::now();
        best_key = std::min(best_key, std::chrono::duration<double>(t4 - t3).count());
        best_save = std::min(best_save, std::chrono::duration<double>(t1 - t0).count());
        best_read = std::min(best_read, std::chrono::duration<double>(t2 - t1).count());
    }
    std::printf("settings file %s: %zu bytes\n", path.c_str(), ReadWholeFile(path).size());
    std::printf("exit save with 1000 batch entries (best of 5): %.1f ms\n", best_save * 1000);
    std::printf("list read back (best of 5): %.1f ms\n", best_read * 1000);
    // What storing the list key by key (1,001 rewrites) would cost instead.
    std::printf("one single-key write (best of 5): %.2f ms\n", best_key * 1000);
    if (argc <= 1) std::filesystem::remove_all(folder);
    return 0;
}
