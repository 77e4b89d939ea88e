#include <gtest/gtest.h>

#include "settings/dialog_settings.h"
#include "settings/form_settings.h"
#include "settings/ini_encoding.h"
#include "settings/ini_list.h"
#include "settings/photo_settings.h"
#include "settings/settings_file.h"
#include "settings/window_position.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_samples.h"
#include "tests/support/write_limit.h"

namespace nuthumb {
namespace {

using test::Esc;
using test::FileBytes;
using test::PlantFile;

class FakeWindow : public PlaceableWindow {
public:
    FakeWindow(std::int32_t w, std::int32_t h, std::int32_t sw, std::int32_t sh)
        : width_(w), height_(h), screen_width_(sw), screen_height_(sh) {}
    std::int32_t Left() const override { return left_; }
    std::int32_t Top() const override { return top_; }
    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    void SetLeft(std::int32_t left) override { left_ = left; }
    void SetTop(std::int32_t top) override { top_ = top; }
    std::int32_t ScreenWidth() const override { return screen_width_; }
    std::int32_t ScreenHeight() const override { return screen_height_; }

private:
    std::int32_t left_ = 12345, top_ = 12345;
    std::int32_t width_, height_, screen_width_, screen_height_;
};

// The exit sequence: the settings dialog first, then the main window.
void SaveAtExit(const std::string& path, const DialogSettings& dialog, const PlaceableWindow& window,
                const FormSettings& form, const std::vector<std::string>& batch_list) {
    SaveDialogSettings(path, dialog);
    SaveWindowPosition(path, window);
    SaveFormSettings(path, form);
    WriteListToIni(path, "SYSTEM", "Script", batch_list);
}

TEST(FirstStart, DefaultsAndAFileInTheExitOrder) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    FakeWindow window(429, 449, 1024, 768);
    LoadWindowPosition(path, window);
    EXPECT_EQ(window.Left(), 297);
    EXPECT_EQ(window.Top(), 159);
    const FormSettings form = LoadFormSettings(SettingsFile(path));
    EXPECT_EQ(form.src_dir, "");
    EXPECT_EQ(form.size, 50);
    EXPECT_EQ(form.option, 0);
    EXPECT_EQ(form.read_file_mode, 1);
    EXPECT_EQ(form.save_file_mode, 1);
    EXPECT_FALSE(form.no_thumb);
    EXPECT_FALSE(form.batch);
    const DialogSettings dialog = LoadDialogSettings(SettingsFile(path));
    EXPECT_EQ(dialog.error_opt, 0);
    EXPECT_EQ(dialog.save_mode, 1);
    EXPECT_EQ(LoadPhotoSettings(SettingsFile(path)), PhotoOptions{});
    std::vector<std::string> list;
    ReadListFromIni(path, "SYSTEM", "Script", list);
    EXPECT_TRUE(list.empty());

    SaveAtExit(path, dialog, window, form, list);
    // The photo group's keys follow every older one, the subfolder box them, the
    // colour box and the previews last.
    SavePhotoSettings(path, LoadPhotoSettings(SettingsFile(path)));
    SaveSubfolderChoice(path, form);
    SaveNewerPhotoKeys(path, LoadPhotoSettings(SettingsFile(path)));
    SaveUpdateChoice(path, form);
    EXPECT_EQ(FileBytes(path),
              "[SYSTEM]\r\nErrorOpt=0\r\nRadioGroupSaveMode=1\r\nLEFT=297\r\nTOP=159\r\n"
              "SrcDir=\r\nDstDir=\r\nFileHead=\r\nFileEnd=\r\nSize=50\r\nOption=0\r\n"
              "ReadFileMode=1\r\nSaveFileMode=1\r\nNOThumb=0\r\nBatch=0\r\nScript1=\r\n"
              "AutoOrient=0\r\nQuality=90\r\nFilter=0\r\nKeepDates=0\r\nRecursive=0\r\nToSRGB=0\r\nPreviews=0\r\n"
              "Update=0\r\n");
}

TEST(FirstStart, SecondExitRewritesInPlace) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    FakeWindow window(429, 449, 1024, 768);
    SaveAtExit(path, {}, window, {}, {});
    const std::string first = FileBytes(path);
    FormSettings form = LoadFormSettings(SettingsFile(path));
    form.src_dir = "/a";
    SaveAtExit(path, LoadDialogSettings(SettingsFile(path)), window, form, {"\"x\""});
    std::string expected = first;
    expected.replace(expected.find("SrcDir=\r\n"), 9, "SrcDir=/a\r\n");
    expected.replace(expected.find("Script1=\r\n"), 10, "Script1=\"x\"\r\nScript2=\r\n");
    EXPECT_EQ(FileBytes(path), expected);
}

// ---- Control rules on load, and what goes back at exit ----

struct ClampRow {
    const char* name;
    std::string_view key, stored;
    std::string_view written_back;
};

class ControlRule : public testing::TestWithParam<ClampRow> {};

TEST_P(ControlRule, LoadClampsAndSaveWritesTheShownValue) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\n" + std::string(GetParam().key) + "=" + std::string(GetParam().stored) + "\r\n");
    SaveDialogSettings(path, LoadDialogSettings(SettingsFile(path)));
    SaveFormSettings(path, LoadFormSettings(SettingsFile(path)));
    SavePhotoSettings(path, LoadPhotoSettings(SettingsFile(path)));
    SaveSubfolderChoice(path, LoadFormSettings(SettingsFile(path)));
    SaveNewerPhotoKeys(path, LoadPhotoSettings(SettingsFile(path)));
    SaveUpdateChoice(path, LoadFormSettings(SettingsFile(path)));
    EXPECT_EQ(SettingsFile(path).Read(test::TextKey(GetParam().key, "<missing>")), GetParam().written_back);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControlRule,
    testing::Values(
        ClampRow{"SizeAbove", "Size", "1000", "640"}, ClampRow{"SizeBelow", "Size", "10", "30"},
        ClampRow{"SizeLetters", "Size", "abc", "50"}, ClampRow{"SizeEmpty", "Size", "", "50"},
        ClampRow{"SizeHex", "Size", "0x1E", "30"}, ClampRow{"SizeInRange", "Size", "333", "333"},
        ClampRow{"SizeLow16BitsAre30", "Size", "65566", "30"},
        ClampRow{"SizeLow16BitsNegative", "Size", "65535", "30"},
        ClampRow{"SizeLow16BitsAbove", "Size", "-65000", "536"},
        ClampRow{"OptionAbove", "Option", "5", "2"}, ClampRow{"OptionBelow", "Option", "-3", "-1"},
        ClampRow{"OptionNone", "Option", "-1", "-1"},
        ClampRow{"ReadFileModeAll", "ReadFileMode", "6", "6"},
        ClampRow{"ReadFileModeAbove", "ReadFileMode", "99", "1"},
        ClampRow{"SaveFileModeWebp", "SaveFileMode", "3", "3"},
        ClampRow{"SaveFileModeSourceOnly", "SaveFileMode", "4", "1"},
        ClampRow{"SaveFileModeBelow", "SaveFileMode", "-9", "-1"},
        ClampRow{"NoThumbTwo", "NOThumb", "2", "1"}, ClampRow{"NoThumbYes", "NOThumb", "yes", "0"},
        ClampRow{"BatchSeven", "Batch", "7", "1"}, ClampRow{"BatchNegative", "Batch", "-1", "1"},
        ClampRow{"BatchLetters", "Batch", "on", "0"},
        ClampRow{"ErrorOptTwo", "ErrorOpt", "2", "1"}, ClampRow{"ErrorOpt256", "ErrorOpt", "256", "0"},
        ClampRow{"ErrorOpt257", "ErrorOpt", "257", "1"},
        ClampRow{"SaveModeAbove", "RadioGroupSaveMode", "7", "2"},
        ClampRow{"SaveModeBelow", "RadioGroupSaveMode", "-5", "-1"},
        ClampRow{"SaveModeLowerCaseKeyKept", "radiogroupsavemode", "0", "0"},
        ClampRow{"AutoOrientTwo", "AutoOrient", "2", "1"}, ClampRow{"AutoOrientYes", "AutoOrient", "yes", "0"},
        ClampRow{"QualityZero", "Quality", "0", "90"}, ClampRow{"QualityAbove", "Quality", "101", "90"},
        ClampRow{"QualityLowest", "Quality", "1", "1"}, ClampRow{"QualityHighest", "Quality", "100", "100"},
        ClampRow{"QualityHex", "Quality", "0x32", "50"}, ClampRow{"QualityLetters", "Quality", "high", "90"},
        ClampRow{"FilterArea", "Filter", "1", "1"}, ClampRow{"FilterAbove", "Filter", "2", "0"},
        ClampRow{"FilterNone", "Filter", "-1", "0"},
        ClampRow{"KeepDatesTwo", "KeepDates", "2", "1"}, ClampRow{"KeepDatesLetters", "KeepDates", "on", "0"},
        ClampRow{"RecursiveTwo", "Recursive", "2", "1"}, ClampRow{"RecursiveLetters", "Recursive", "on", "0"},
        ClampRow{"UpdateTwo", "Update", "2", "1"}, ClampRow{"UpdateLetters", "Update", "on", "0"},
        ClampRow{"ToSrgbTwo", "ToSRGB", "2", "1"}, ClampRow{"ToSrgbLetters", "ToSRGB", "on", "0"},
        ClampRow{"PreviewsNever", "Previews", "1", "1"}, ClampRow{"PreviewsAbove", "Previews", "2", "0"},
        ClampRow{"PreviewsLetters", "Previews", "never", "0"}),
    [](const testing::TestParamInfo<ClampRow>& info) { return std::string(info.param.name); });

TEST(FormSettings, TextsComeBackVerbatim) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    FormSettings form;
    form.src_dir = " /home/me/写真 ";
    form.dst_dir = "\"/tmp/out\"";
    form.file_head = "s_";
    form.file_end = "_サムネ";
    form.size = 640;
    form.option = -1;
    form.no_thumb = true;
    form.batch = true;
    SaveFormSettings(path, form);
    const FormSettings back = LoadFormSettings(SettingsFile(path));
    EXPECT_EQ(back.src_dir, form.src_dir);
    EXPECT_EQ(back.dst_dir, form.dst_dir);
    EXPECT_EQ(back.file_end, form.file_end);
    EXPECT_EQ(back.size, 640);
    EXPECT_EQ(back.option, -1);
    EXPECT_TRUE(back.no_thumb);
    EXPECT_TRUE(back.batch);
}

// ---- Texts that CP932 does not carry both ways ----

class OneWayText : public testing::TestWithParam<test::OneWayCharacter> {};

TEST_P(OneWayText, ComesBackFromAFolderTextAndFromABatchEntry) {
    const std::string folder = "/写真" + GetParam().text + "2020";
    FakeWindow window(429, 449, 1024, 768);
    TempDir dir;
    const std::string value_path = dir.path() + "/value.ini";
    FormSettings form;
    form.src_dir = folder;
    SaveAtExit(value_path, {}, window, form, {});
    EXPECT_TRUE(FileBytes(value_path).starts_with(kUtf8Bom));
    EXPECT_EQ(LoadFormSettings(SettingsFile(value_path)).src_dir, folder);

    const std::string list_path = dir.path() + "/list.ini";
    const std::vector<std::string> entries{"\"/a\"", "\"" + folder + "\",\"jpg\"", "\"/b\""};
    SaveAtExit(list_path, {}, window, {}, entries);
    EXPECT_TRUE(FileBytes(list_path).starts_with(kUtf8Bom));
    std::vector<std::string> back;
    ReadListFromIni(list_path, "SYSTEM", "Script", back);
    EXPECT_EQ(back, entries);
}

INSTANTIATE_TEST_SUITE_P(Table, OneWayText, testing::ValuesIn(test::OneWayCp932Characters()),
                         [](const auto& info) { return std::string(info.param.name); });

// A CP932 file edited by hand: a Latin-1 "é" in SrcDir, a stray 0x80 in DstDir, 纊
// in its NEC-selected form ED 40 (iconv writes FA 5C), and bytes that decode to
// nothing in two batch entries in the middle of the list.
const std::string kHandEdited =
    "[SYSTEM]\r\nErrorOpt=0\r\nRadioGroupSaveMode=1\r\nLEFT=10\r\nTOP=20\r\n"
    "SrcDir=/home/caf\xE9\r\nDstDir=\x93\xFA\x96\x7B/\x80\r\nFileHead=\xED\x40\r\nFileEnd=\r\n"
    "Size=50\r\nOption=0\r\nReadFileMode=1\r\nSaveFileMode=1\r\nNOThumb=0\r\nBatch=1\r\n"
    "Script1=\"a\"\r\nScript2=\"\xFD\"\r\nScript3=\"\x85\x40\"\r\nScript4=\"z\"\r\nScript5=\r\n";

TEST(UndecodableText, ReadsAsEscapesAndKeepsItsBytesAtExitAndInUtf8) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, kHandEdited);
    FakeWindow window(429, 449, 1024, 768);
    LoadWindowPosition(path, window);
    FormSettings form = LoadFormSettings(SettingsFile(path));
    EXPECT_EQ(form.src_dir, "/home/caf" + Esc(0xE9));
    EXPECT_EQ(form.dst_dir, "日本/" + Esc(0x80));
    EXPECT_EQ(form.file_head, "纊");
    std::vector<std::string> list;
    ReadListFromIni(path, "SYSTEM", "Script", list);
    EXPECT_EQ(list, (std::vector<std::string>{"\"a\"", "\"" + Esc(0xFD) + "\"", "\"" + Esc(0x85) + "@\"",
                                              "\"z\""}));
    SaveAtExit(path, LoadDialogSettings(SettingsFile(path)), window, form, list);
    EXPECT_EQ(FileBytes(path), kHandEdited);

    form.file_end = "〜";        // CP932 cannot give it back: the file becomes UTF-8
    list.erase(list.begin());    // the other entries move up one key
    SaveAtExit(path, LoadDialogSettings(SettingsFile(path)), window, form, list);
    const std::string after = FileBytes(path);
    EXPECT_TRUE(after.starts_with(kUtf8Bom));
    for (const std::string line : {"SrcDir=/home/caf\xE9\r\n", "DstDir=日本/\x80\r\n", "FileHead=纊\r\n",
                                   "FileEnd=〜\r\n", "Script1=\"\xFD\"\r\n", "Script2=\"\x85@\"\r\n"})
        EXPECT_NE(after.find(line), std::string::npos) << line;
    const FormSettings back = LoadFormSettings(SettingsFile(path));
    EXPECT_EQ(back.src_dir, form.src_dir);
    EXPECT_EQ(back.dst_dir, form.dst_dir);
    EXPECT_EQ(back.file_end, "〜");
    std::vector<std::string> list_back;
    ReadListFromIni(path, "SYSTEM", "Script", list_back);
    EXPECT_EQ(list_back, list);
}

// ---- Window position ----

struct PlaceRow {
    const char* name;
    std::string_view file;
    std::int32_t left, top;
};

class WindowPlace : public testing::TestWithParam<PlaceRow> {};

TEST_P(WindowPlace, UsesTheStoredEdgesOrCentres) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, GetParam().file);
    FakeWindow window(429, 449, 1024, 768);
    LoadWindowPosition(path, window);
    EXPECT_EQ(window.Left(), GetParam().left);
    EXPECT_EQ(window.Top(), GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowPlace,
    testing::Values(PlaceRow{"Stored", "[SYSTEM]\r\nLEFT=10\r\nTOP=20\r\n", 10, 20},
                    PlaceRow{"LowerCaseKey", "[SYSTEM]\r\nleft=100\r\nTOP=20\r\n", 100, 20},
                    PlaceRow{"OffScreenUsedAsIs", "[SYSTEM]\r\nLEFT=-50\r\nTOP=5000\r\n", -50, 5000},
                    PlaceRow{"LeftMinusOneCentres", "[SYSTEM]\r\nLEFT=-1\r\nTOP=20\r\n", 297, 159},
                    PlaceRow{"TopMinusOneCentres", "[SYSTEM]\r\nLEFT=10\r\nTOP=-1\r\n", 297, 159},
                    PlaceRow{"TopMissingCentres", "[SYSTEM]\r\nLEFT=10\r\n", 297, 159},
                    PlaceRow{"UnreadableCentres", "[SYSTEM]\r\nLEFT=ten\r\nTOP=20\r\n", 297, 159}),
    [](const testing::TestParamInfo<PlaceRow>& info) { return std::string(info.param.name); });

TEST(CenterWindow, EachHalfIsRoundedUpOnItsOwn) {
    FakeWindow odd(429, 449, 1023, 767);
    CenterWindow(odd);
    EXPECT_EQ(odd.Left(), 512 - 215);
    EXPECT_EQ(odd.Top(), 384 - 225);
    FakeWindow larger(2001, 1001, 1000, 600);
    CenterWindow(larger);
    EXPECT_EQ(larger.Left(), 500 - 1001);
    EXPECT_EQ(larger.Top(), 300 - 501);
}

// ---- Failed writes at exit ----

TEST(SaveWindowPosition, LetsTheWriteErrorThroughWithThePath) {
    TempDir dir;
    const std::string path = dir.path() + "/gone/NuThumb.ini";
    FakeWindow window(429, 449, 1024, 768);
    try {
        SaveWindowPosition(path, window);
        FAIL() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
}

TEST(SaveGroups, ATextTheFileCannotHoldCostsOnlyItsOwnKey) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nSrcDir=/before\r\nFileHead=old_\r\n");
    FormSettings form;
    form.src_dir = "/one\r\n/two";
    form.dst_dir = std::string(2499, 'd');
    form.file_head = "new_";
    form.file_end = std::string(SettingsFile::kMaxValueBytes + 1, 'e');
    form.size = 120;
    form.batch = true;
    EXPECT_EQ(SaveFormSettings(path, form), (std::vector<std::string>{"SrcDir", "FileEnd"}));
    const FormSettings back = LoadFormSettings(SettingsFile(path));
    EXPECT_EQ(back.src_dir, "/before") << "the refused key keeps its old value";
    EXPECT_EQ(back.dst_dir, form.dst_dir);
    EXPECT_EQ(back.file_head, "new_");
    EXPECT_EQ(back.file_end, "");
    EXPECT_EQ(back.size, 120);
    EXPECT_TRUE(back.batch);
    EXPECT_EQ(std::string(SettingsWriteError(path, std::vector<std::string>{"SrcDir", "FileEnd"}).what()),
              path + " に書き込めません: SrcDir, FileEnd");
}

TEST(SaveGroups, StopSilentlyAtTheFirstFailedWriteKeepingEarlierKeys) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    const std::string before = "[SYSTEM]\r\n";
    PlantFile(path, before);
    FormSettings form;
    form.src_dir = "a";
    form.dst_dir = std::string(200, 'd');  // does not fit under the limit
    form.file_head = "h";                  // would fit, but comes after the failure
    DialogSettings dialog;
    dialog.error_opt = 1;
    {
        FileSizeLimit limit(before.size() + 30);
        SaveFormSettings(path, form);
        SaveDialogSettings(path, dialog);  // "ErrorOpt=1" fits; then "RadioGroupSaveMode=1" does not
    }
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nSrcDir=a\r\nErrorOpt=1\r\n");
}

}  // namespace
}  // namespace nuthumb
