#include "settings/ini_list.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_limit.h"

namespace nuthumb {
namespace {

using test::FileBytes;
using test::PlantFile;

std::vector<std::string> ReadScripts(const std::string& path) {
    std::vector<std::string> list{"stale item"};  // must be emptied first
    ReadListFromIni(path, "SYSTEM", "Script", list);
    return list;
}

TEST(IniList, ThreeItemsOverFiveLeaveTheFifthAndReadBackAsThree) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nScript1=a\r\nScript2=b\r\nScript3=c\r\nScript4=d\r\nScript5=e\r\n");
    WriteListToIni(path, "SYSTEM", "Script", {"x", "y", "z"});
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nScript1=x\r\nScript2=y\r\nScript3=z\r\nScript4=\r\nScript5=e\r\n");
    EXPECT_EQ(ReadScripts(path), (std::vector<std::string>{"x", "y", "z"}));
}

TEST(IniList, EmptyListWritesAnEmptyFirstKey) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    WriteListToIni(path, "SYSTEM", "Script", {});
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nScript1=\r\n");
    EXPECT_TRUE(ReadScripts(path).empty());
}

TEST(IniList, EmptyFirstKeyHidesTheRest) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nScript1=\r\nScript2=\"a\",\"b\"\r\n");
    EXPECT_TRUE(ReadScripts(path).empty());
}

TEST(IniList, MissingFileReadsAsEmpty) {
    TempDir dir;
    EXPECT_TRUE(ReadScripts(dir.path() + "/none.ini").empty());
}

TEST(IniList, BatchEntriesRoundTripWithQuotesAndJapanese) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    const std::vector<std::string> entries{
        "\"/home/me/写真/旅行\",\"jpg\",\"/home/me/サムネイル\",\"bmp\",\"s_\",\"\",\"120\",\"2\",\"1\"",
        " \"/a b\",\"bmp\",\"/c\",\"jpg\",\"\",\"_t\",\"50\",\"0\",\"0\" ",
        std::string(3000, 'q')};
    EXPECT_TRUE(WriteListToIni(path, "SYSTEM", "Script", entries).empty());
    const auto back = ReadScripts(path);
    EXPECT_EQ(back, entries) << "long items come back whole";
    EXPECT_NE(FileBytes(path).find("\x8E\xCA\x90\x5E"), std::string::npos) << "写真 not stored as CP932";
}

TEST(IniList, ItemsTheFileCannotHoldAreLeftOutAndNamedTheOthersMoveUp) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nScript1=old\r\nSrcDir=/kept\r\n");
    const std::vector<std::string> refused = WriteListToIni(
        path, "SYSTEM", "Script",
        {"a", "two\nlines", "b", std::string(SettingsFile::kMaxValueBytes + 1, 'x'), "c"});
    EXPECT_EQ(refused, (std::vector<std::string>{"Script2", "Script4"}));
    EXPECT_EQ(ReadScripts(path), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SettingsFile(path).Read(keys::kSrcDir), "/kept");
}

TEST(IniList, FailedWriteIsSwallowedAndTheOldListStaysWhole) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    const std::string before = "[SYSTEM]\r\nScript1=a\r\nScript2=b\r\n";
    PlantFile(path, before);
    {
        FileSizeLimit limit(before.size() + 10);
        WriteListToIni(path, "SYSTEM", "Script", {"longer first item", "longer second item"});
    }
    EXPECT_EQ(FileBytes(path), before);
    WriteListToIni(dir.path() + "/gone/NuThumb.ini", "SYSTEM", "Script", {"a"});
}

}  // namespace
}  // namespace nuthumb
