// Settings files that exist but cannot be read, and settings files behind links.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/file_io.h"
#include "settings/dialog_settings.h"
#include "settings/form_settings.h"
#include "settings/ini_list.h"
#include "settings/settings_file.h"
#include "settings/photo_settings.h"
#include "settings/settings_readable.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/file_watch.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::PlantFile;

constexpr std::string_view kStored = "[SYSTEM]\r\nSrcDir=/photos\r\nRadioGroupSaveMode=0\r\n";

// What stands at the settings path and the reason a job is refused it.
struct UnreadableRow {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* reason;
    friend void PrintTo(const UnreadableRow& row, std::ostream* os) { *os << row.name; }
};

class UnreadableSettings : public ::testing::TestWithParam<UnreadableRow> {};

// A job refuses the file; the window reads the defaults, and its exit neither
// hangs nor replaces the file.
TEST_P(UnreadableSettings, JobRefusesWindowKeepsDefaultsAndTheFileStays) {
    TempDir dir;
    // Writable for the unprivileged user too, so that only the rule keeps the file.
    fs::permissions(dir.path(), fs::perms::all);
    const std::string path = dir.path() + "/nuthumb.ini";
    GetParam().make(path);
    const auto type = fs::symlink_status(path).type();

    const auto outcome = test::RunUnprivileged([&] {
        std::string text;
        for (bool must_exist : {false, true}) {
            try {
                SettingsFile(path).RequireReadable(must_exist);
                text += "passed; ";
            } catch (const IoError& e) {
                text += std::string(e.what()) + "; ";
            }
        }
        const FormSettings form = LoadFormSettings(SettingsFile(path));
        text += "load " + form.src_dir + "," + std::to_string(LoadDialogSettings(SettingsFile(path)).save_mode) + "; ";
        SaveDialogSettings(path, {1, 2});
        SaveFormSettings(path, FormSettings{});
        WriteListToIni(path, "SYSTEM", "Script", {"entry"});
        try {
            SettingsFile(path).Write(keys::kLeft, 1);
            text += "written";
        } catch (const SettingsWriteError&) {
            text += "refused";
        }
        return text;
    });
    if (!outcome) GTEST_SKIP() << "cannot run as an unprivileged user";
    const std::string refusal = "設定ファイル " + path + " を読み込めません: " + GetParam().reason + "; ";
    EXPECT_EQ(*outcome, refusal + refusal + "load ,1; refused");
    EXPECT_EQ(fs::symlink_status(path).type(), type);
    if (type == fs::file_type::regular) {
        fs::permissions(path, fs::perms::owner_read);
        EXPECT_EQ(FileBytes(path), kStored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnreadableSettings,
    ::testing::Values(
        UnreadableRow{"NoPermission",
                      [](const std::string& p) {
                          PlantFile(p, kStored);
                          fs::permissions(p, fs::perms::none);
                      },
                      "Permission denied"},
        UnreadableRow{"Folder", [](const std::string& p) { fs::create_directory(p); },
                      "フォルダであり、通常のファイルではありません"},
        UnreadableRow{"Fifo", [](const std::string& p) { ::mkfifo(p.c_str(), 0666); },
                      "名前付きパイプであり、通常のファイルではありません"},
        UnreadableRow{"LinkToADevice", [](const std::string& p) { fs::create_symlink("/dev/null", p); },
                      "キャラクタデバイスであり、通常のファイルではありません"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsReadable, MissingPassesOnlyWhenItMayBeMissingReadableFilesPass) {
    TempDir dir;
    const std::string path = dir.path() + "/nuthumb.ini";
    EXPECT_NO_THROW(SettingsFile(path).RequireReadable(false));
    try {
        SettingsFile(path).RequireReadable(true);
        ADD_FAILURE() << "expected IoError";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "設定ファイル " + path + " を読み込めません: No such file or directory");
    }
    PlantFile(path, kStored);
    fs::create_symlink(path, dir.path() + "/link.ini");
    EXPECT_NO_THROW(SettingsFile(path).RequireReadable(true));
    EXPECT_NO_THROW(SettingsFile(dir.path() + "/link.ini").RequireReadable(true));
}

// A file beyond the limit is refused from its size, never read: a job hears why,
// the window reads the defaults and its exit says why rather than replace it.
TEST(SettingsReadable, MoreThan64MiBIsRefusedUnreadAndKept) {
    TempDir dir;
    const std::string path = dir.path() + "/nuthumb.ini";
    PlantFile(path, kStored);
    ASSERT_EQ(::truncate(path.c_str(), kMaxSettingsFileBytes + 1), 0);  // sparse: costs no disk
    test::FileWatch watch(path);
    if (!watch.ok()) GTEST_SKIP() << "no inotify here";
    try {
        SettingsFile(path).RequireReadable(false);
        ADD_FAILURE() << "expected IoError";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "設定ファイル " + path + " を読み込めません: 64 MiB を超えています");
    }
    EXPECT_EQ(LoadFormSettings(SettingsFile(path)).src_dir, "");
    try {
        SettingsFile(path).Write(keys::kLeft, 1);
        ADD_FAILURE() << "expected SettingsWriteError";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(e.reason(), "64 MiB を超えています");
    }
    EXPECT_FALSE(watch.Read()) << "the file was read before it was refused";
    EXPECT_EQ(fs::file_size(path), kMaxSettingsFileBytes + 1);

    // At the limit the file is read, once for every key a job takes.
    ASSERT_EQ(::truncate(path.c_str(), kMaxSettingsFileBytes), 0);
    watch.Opens();
    const SettingsFile file(path);
    file.RequireReadable(true);
    EXPECT_EQ(LoadFormSettings(file).src_dir, "/photos");
    EXPECT_EQ(LoadDialogSettings(file).save_mode, 0);
    LoadPhotoSettings(file);
    EXPECT_EQ(watch.Opens(), 1);
}

TEST(SettingsReadable, ALinkedSettingsFileIsUpdatedWhereItLiesAndTheLinkStays) {
    TempDir dir;
    fs::create_directory(dir.path() + "/real");
    PlantFile(dir.path() + "/real/nuthumb.ini", kStored);
    const std::string link = dir.path() + "/nuthumb.ini";
    fs::create_symlink("real/nuthumb.ini", link);
    SettingsFile(link).Write(keys::kLeft, 7);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FileBytes(dir.path() + "/real/nuthumb.ini"), std::string(kStored) + "LEFT=7\r\n");
    EXPECT_EQ(LoadFormSettings(SettingsFile(link)).src_dir, "/photos");
}

}  // namespace
}  // namespace nuthumb
