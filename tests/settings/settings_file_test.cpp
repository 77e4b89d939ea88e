#include "settings/settings_file.h"

#include <filesystem>
#include <optional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/settings/settings_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_samples.h"
#include "tests/support/unprivileged.h"
#include "tests/support/write_limit.h"

namespace nuthumb {
namespace {

using test::FileBytes;
using test::kEAcuteUtf8;
using test::kNihonCp932;
using test::kNihonUtf8;
using test::PlantFile;
using test::TextKey;
using namespace std::string_view_literals;

constexpr std::string_view kMissing = "<default>";
// 81 (a lead byte without its trail), a blank, FD: the same text from either file.
const std::string kLeadBlankFd = test::Esc(0x81) + " " + test::Esc(0xFD);

// ---- Reading: one stored file, one key, the text that comes back ----

struct ReadRow {
    const char* name;
    std::string_view file;
    std::string_view key;
    std::string_view expected;  // kMissing: the default comes back
};

class ReadRule : public testing::TestWithParam<ReadRow> {};

TEST_P(ReadRule, GivesTheStoredTextOrTheDefault) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, GetParam().file);
    EXPECT_EQ(SettingsFile(path).Read(TextKey(GetParam().key, kMissing)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadRule,
    testing::Values(
        ReadRow{"BlanksAndQuotesKept", "[SYSTEM]\r\nSrcDir= \"C:\\a b\" \r\n", "SrcDir", " \"C:\\a b\" "},
        ReadRow{"LowerCaseKey", "[SYSTEM]\r\nleft=100\r\n", "LEFT", "100"},
        ReadRow{"LowerCaseSection", "[system]\r\nLEFT=100\r\n", "LEFT", "100"},
        ReadRow{"BlanksAroundNames", "  [ SYSTEM ]\r\n  LEFT\t =7\r\n", "LEFT", "7"},
        ReadRow{"FirstDuplicateCounts", "[SYSTEM]\r\nLEFT=1\r\nLEFT=2\r\n", "LEFT", "1"},
        ReadRow{"EmptyValueIsEmptyNotDefault", "[SYSTEM]\r\nLEFT=\r\n", "LEFT", ""},
        ReadRow{"EverythingAfterTheFirstEquals", "[SYSTEM]\r\nK=a=b\r\n", "K", "a=b"},
        ReadRow{"LfOnlyLines", "[SYSTEM]\nA=1\nLEFT=9\n", "LEFT", "9"},
        ReadRow{"NoFinalLineEnd", "[SYSTEM]\r\nLEFT=9", "LEFT", "9"},
        ReadRow{"MissingKey", "[SYSTEM]\r\nTOP=1\r\n", "LEFT", kMissing},
        ReadRow{"KeyOfAnotherSection", "[OTHER]\r\nLEFT=1\r\n[SYSTEM]\r\n", "LEFT", kMissing},
        ReadRow{"KeyBeforeAnySection", "LEFT=1\r\n[SYSTEM]\r\n", "LEFT", kMissing},
        ReadRow{"NoSectionLine", "LEFT=1\r\nTOP=2\r\n", "LEFT", kMissing},
        ReadRow{"PrefixOfAKeyIsNoMatch", "[SYSTEM]\r\nLEFTX=1\r\n", "LEFT", kMissing},
        ReadRow{"Cp932Value", "[SYSTEM]\r\nSrcDir=\x93\xFA\x96\x7B\r\n", "SrcDir", kNihonUtf8},
        ReadRow{"Utf8Value", "[SYSTEM]\r\nSrcDir=\xE6\x97\xA5\xE6\x9C\xAC\r\n", "SrcDir", kNihonUtf8},
        ReadRow{"Utf8BomValue", "\xEF\xBB\xBF[SYSTEM]\r\nSrcDir=\xC3\xA9\r\n", "SrcDir", kEAcuteUtf8},
        // "ア" (83 41) and "ッ" (83 61) differ only in a trail byte that looks like 'A'/'a'.
        ReadRow{"TrailBytesAreNotCaseFolded", "[SYSTEM]\r\n\x83\x41=1\r\n", "\xE3\x83\x83", kMissing},
        ReadRow{"Cp932KeyName", "[SYSTEM]\r\n\x83\x41=1\r\n", "\xE3\x82\xA2", "1"},
        ReadRow{"JunkAndNulBytesBeforeTheSection",
                "\0\xFF\xFE junk\r\nno equals here\r\n[SYSTEM]\r\nLEFT=3\r\n"sv, "LEFT", "3"},
        ReadRow{"NulByteInAnotherLine", "[SYSTEM]\r\nA=\0\0\r\nLEFT=4\r\n"sv, "LEFT", "4"},
        ReadRow{"UnclosedBracketIsNoSection", "[SYSTEM]\r\n[OTHER\r\nLEFT=5\r\n", "LEFT", "5"},
        ReadRow{"UndecodableBytesReadAsEscapes", "[SYSTEM]\r\nSrcDir=\x81 \xFD\r\n", "SrcDir",
                kLeadBlankFd},
        ReadRow{"UndecodableBytesInABomFile", "\xEF\xBB\xBF[SYSTEM]\r\nSrcDir=\x81 \xFD\r\n", "SrcDir",
                kLeadBlankFd}),
    [](const testing::TestParamInfo<ReadRow>& info) { return std::string(info.param.name); });

TEST(SettingsFileRead, MissingFileOrFolderGivesTheDefaults) {
    TempDir dir;
    const SettingsFile file(dir.path() + "/none/NuThumb.ini");
    EXPECT_EQ(file.Read(TextKey("SrcDir", "d")), "d");
    EXPECT_EQ(file.Read(keys::kLeft), -1);
    EXPECT_EQ(file.Read(keys::kQuality), 90);
    EXPECT_FALSE(file.Read(keys::kNoThumb));
}

// ---- The 64 KiB read limit, counted in the file's bytes ----

struct LimitRow {
    const char* name;
    std::string stored;    // bytes after "K="
    std::string expected;  // UTF-8
};

class ReadLimit : public testing::TestWithParam<LimitRow> {};

TEST_P(ReadLimit, CutsAtTheLimitWithoutHalvingACharacter) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nK=" + GetParam().stored + "\r\n");
    EXPECT_EQ(SettingsFile(path).Read(TextKey("K")), GetParam().expected);
}

constexpr std::size_t kLimit = SettingsFile::kMaxValueBytes;
static_assert(kLimit >= 64 * 1024);

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadLimit,
    testing::Values(
        // Two folders of a batch entry, each longer than the old 2047-byte cut.
        LimitRow{"Ascii2499Whole", std::string(2499, 'w'), std::string(2499, 'w')},
        LimitRow{"AsciiOver", std::string(kLimit + 953, 'a'), std::string(kLimit, 'a')},
        LimitRow{"AsciiExactlyTheLimit", std::string(kLimit, 'b'), std::string(kLimit, 'b')},
        // The last two bytes below the limit hold one CP932 character: it is dropped.
        LimitRow{"Cp932Straddling", std::string(kLimit - 1, 'a') + std::string(kNihonCp932) + std::string(900, 'a'),
                 std::string(kLimit - 1, 'a')},
        LimitRow{"Cp932EndingAtTheLimit", std::string(kLimit - 2, 'a') + std::string(kNihonCp932.substr(0, 2)) + "zz",
                 std::string(kLimit - 2, 'a') + "\xE6\x97\xA5"},
        // "日" in UTF-8 is three bytes.
        LimitRow{"Utf8Straddling", std::string(kLimit - 2, 'a') + std::string(kNihonUtf8), std::string(kLimit - 2, 'a')},
        LimitRow{"Utf8EndingAtTheLimit", std::string(kLimit - 3, 'a') + std::string(kNihonUtf8),
                 std::string(kLimit - 3, 'a') + "\xE6\x97\xA5"}),
    [](const testing::TestParamInfo<LimitRow>& info) { return std::string(info.param.name); });

// ---- Writing: the file before, one write, the exact bytes after ----

const std::string kCafeEscaped = "caf" + test::Esc(0xE9);
const std::string kJoiningEscapes = test::Esc(0xC3) + test::Esc(0xA9);

struct WriteRow {
    const char* name;
    std::string_view before;  // kMissing: no file
    std::string_view key, value;
    std::string after;
};

class WriteRule : public testing::TestWithParam<WriteRow> {};

TEST_P(WriteRule, ChangesOnlyTheKeyLine) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    if (GetParam().before != kMissing) PlantFile(path, GetParam().before);
    SettingsFile file(path);
    file.Write(TextKey(GetParam().key), GetParam().value);
    EXPECT_EQ(FileBytes(path), GetParam().after);
    EXPECT_EQ(file.Read(TextKey(GetParam().key, kMissing)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteRule,
    testing::Values(
        WriteRow{"NewFile", kMissing, "LEFT", "5", "[SYSTEM]\r\nLEFT=5\r\n"},
        WriteRow{"EmptyValueKeepsTheKey", kMissing, "SrcDir", "", "[SYSTEM]\r\nSrcDir=\r\n"},
        WriteRow{"EmptyFile", "", "LEFT", "5", "[SYSTEM]\r\nLEFT=5\r\n"},
        WriteRow{"ExistingKeyKeepsPlaceAndSpelling", "[SYSTEM]\r\n left =1\r\nTOP=2\r\n", "LEFT", "-5",
                 "[SYSTEM]\r\n left =-5\r\nTOP=2\r\n"},
        WriteRow{"OnlyTheFirstDuplicateChanges", "[SYSTEM]\r\nA=1\r\nA=2\r\n", "a", "3",
                 "[SYSTEM]\r\nA=3\r\nA=2\r\n"},
        WriteRow{"NewKeyAfterTheLastKeyOfItsSection",
                 "[SYSTEM]\r\nA=1\r\n; note\r\n\r\n[OTHER]\r\nB=2\r\n", "C", "3",
                 "[SYSTEM]\r\nA=1\r\nC=3\r\n; note\r\n\r\n[OTHER]\r\nB=2\r\n"},
        WriteRow{"NewKeyInAnEmptySection", "[SYSTEM]\r\n\r\n[OTHER]\r\n", "C", "3",
                 "[SYSTEM]\r\nC=3\r\n\r\n[OTHER]\r\n"},
        WriteRow{"MissingSectionAppended", "[OTHER]\r\nB=2", "C", "3",
                 "[OTHER]\r\nB=2\r\n[SYSTEM]\r\nC=3\r\n"},
        WriteRow{"NoSectionLineAtAll", "junk without equals\nA=1\n", "A", "2",
                 "junk without equals\nA=1\n[SYSTEM]\r\nA=2\r\n"},
        WriteRow{"LastLineWithoutEnding", "[SYSTEM]\r\nA=1", "B", "2", "[SYSTEM]\r\nA=1\r\nB=2\r\n"},
        WriteRow{"LfLinesKeepTheirBytes", "[SYSTEM]\nA=1\nB=2\n", "A", "9", "[SYSTEM]\nA=9\r\nB=2\n"},
        WriteRow{"QuotedBatchEntry", kMissing, "Script1", "\"C:\\src\",\"jpg\",\"D:\\dst\",\"bmp\",\"\",\"\",\"50\",\"0\",\"1\"",
                 "[SYSTEM]\r\nScript1=\"C:\\src\",\"jpg\",\"D:\\dst\",\"bmp\",\"\",\"\",\"50\",\"0\",\"1\"\r\n"},
        WriteRow{"UnknownSectionsKeptByteForByte",
                 "; comment\r\n[Other App]\r\nx = 1 \r\n\r\n[SYSTEM]\nLEFT=1\n[Tail]\r\ny=\"q\"\r\n", "LEFT", "2",
                 "; comment\r\n[Other App]\r\nx = 1 \r\n\r\n[SYSTEM]\nLEFT=2\r\n[Tail]\r\ny=\"q\"\r\n"},
        WriteRow{"JapaneseValueStoredAsCp932", kMissing, "SrcDir", kNihonUtf8,
                 "[SYSTEM]\r\nSrcDir=\x93\xFA\x96\x7B\r\n"},
        WriteRow{"Utf8FileStaysUtf8", "[SYSTEM]\r\nA=\xE6\x97\xA5\r\n", "B", kNihonUtf8,
                 "[SYSTEM]\r\nA=\xE6\x97\xA5\r\nB=\xE6\x97\xA5\xE6\x9C\xAC\r\n"},
        WriteRow{"ValueCp932CannotHoldSwitchesToUtf8WithBom",
                 "[SYSTEM]\r\nSrcDir=\x93\xFA\x96\x7B\r\n", "DstDir", kEAcuteUtf8,
                 "\xEF\xBB\xBF[SYSTEM]\r\nSrcDir=\xE6\x97\xA5\xE6\x9C\xAC\r\nDstDir=\xC3\xA9\r\n"},
        WriteRow{"UndecodableLineKeptThroughTheSwitch",
                 "[SYSTEM]\r\nJunk=\x81\x20\r\nA=\x93\xFA\r\n", "B", kEAcuteUtf8,
                 "\xEF\xBB\xBF[SYSTEM]\r\nJunk=\x81\x20\r\nA=\xE6\x97\xA5\r\nB=\xC3\xA9\r\n"},
        // "ﾃｩ" in CP932 is C3 A9, valid UTF-8 for "é": only the mark keeps it "ﾃｩ".
        WriteRow{"Cp932ThatLooksLikeUtf8GetsTheMark", kMissing, "A", "\xEF\xBE\x83\xEF\xBD\xA9",
                 "\xEF\xBB\xBF[SYSTEM]\r\nA=\xEF\xBE\x83\xEF\xBD\xA9\r\n"},
        WriteRow{"BomFileStaysUtf8", "\xEF\xBB\xBF[SYSTEM]\r\nA=1\r\n", "A", kNihonUtf8,
                 "\xEF\xBB\xBF[SYSTEM]\r\nA=\xE6\x97\xA5\xE6\x9C\xAC\r\n"},
        WriteRow{"EscapedByteGoesBackAsTheByte", kMissing, "SrcDir", kCafeEscaped,
                 "[SYSTEM]\r\nSrcDir=caf\xE9\r\n"},
        // Without the mark the kept byte would make the file read as CP932.
        WriteRow{"EscapedByteInAUtf8FileAddsTheMark", "[SYSTEM]\r\nA=\xE6\x97\xA5\r\n", "B", kCafeEscaped,
                 "\xEF\xBB\xBF[SYSTEM]\r\nA=\xE6\x97\xA5\r\nB=caf\xE9\r\n"},
        // C3 A9 would read back as "ﾃｩ" in CP932 and "é" in UTF-8: the escapes stay.
        WriteRow{"EscapesThatWouldFormACharacterStayEscapes", kMissing, "A", kJoiningEscapes,
                 "\xEF\xBB\xBF[SYSTEM]\r\nA=" + kJoiningEscapes + "\r\n"}),
    [](const testing::TestParamInfo<WriteRow>& info) { return std::string(info.param.name); });

TEST(SettingsFileWrite, IntegersInDecimalAndFlagsAsOneOrZero) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    SettingsFile file(path);
    file.Write(keys::IntegerKey{keys::kSystem, "A", 0}, -2147483647 - 1);
    file.Write(keys::IntegerKey{keys::kSystem, "B", 0}, 7);
    file.Write(keys::FlagKey{keys::kSystem, "C", false}, true);
    file.Write(keys::FlagKey{keys::kSystem, "D", true}, false);
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nA=-2147483648\r\nB=7\r\nC=1\r\nD=0\r\n");
}

TEST(SettingsFileWrite, EAcuteReadsBackAndKeepsTheJapaneseValues) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    SettingsFile file(path);
    file.Write(TextKey("SrcDir"), std::string(kNihonUtf8) + "\\写真");
    file.Write(TextKey("DstDir"), "caf\xC3\xA9");
    EXPECT_TRUE(FileBytes(path).starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(file.Read(TextKey("SrcDir")), std::string(kNihonUtf8) + "\\写真");
    EXPECT_EQ(file.Read(TextKey("DstDir")), "caf\xC3\xA9");
    // Later writes keep the file in UTF-8 even for text CP932 could hold.
    file.Write(TextKey("FileHead"), kNihonUtf8);
    EXPECT_NE(FileBytes(path).find("FileHead=\xE6\x97\xA5\xE6\x9C\xAC\r\n"), std::string::npos);
}

TEST(SettingsFileWrite, BatchedWriteReplacesAddsAndLetsTheLaterDuplicateWin) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nScript1=old\r\n[X]\r\nScript2=other\r\n");
    SettingsFile(path).WriteStrings("SYSTEM", {{"Script2", "b"}, {"Script1", "a"}, {"script2", "c"}});
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nScript1=a\r\nScript2=c\r\n[X]\r\nScript2=other\r\n");
}

// ---- Writes that cannot be stored ----

// `reason`, when given, is the line shown under what(): in the source language
// here, as the tests run under C.
void ExpectWriteError(SettingsFile& file, std::string_view key, std::string_view value,
                      std::string_view reason = {}) {
    try {
        file.Write(TextKey(key), value);
        ADD_FAILURE() << "the write was reported as stored";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), file.path() + " に書き込めません");
        EXPECT_EQ(e.path(), file.path());
        if (!reason.empty()) {
            EXPECT_EQ(e.reason(), reason);
        }
    }
}

TEST(SettingsFileWriteError, FolderThatDoesNotExist) {
    TempDir dir;
    SettingsFile file(dir.path() + "/gone/NuThumb.ini");
    ExpectWriteError(file, "LEFT", "1");
}

TEST(SettingsFileWriteError, FullDiskLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    const std::string before = "[SYSTEM]\r\nLEFT=1\r\nTOP=2\r\n";
    PlantFile(path, before);
    SettingsFile file(path);
    {
        FileSizeLimit limit(before.size() + 4);
        ExpectWriteError(file, "SrcDir", std::string(100, 'x'));
    }
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()), 1) << "temporary file left behind";
}

// What a write as an unprivileged user says: "stored" or the error's text; nullopt
// when this machine cannot run as such a user.
std::optional<std::string> WriteAsUnprivileged(const std::string& path, std::string_view key) {
    return test::RunUnprivileged([&] {
        try {
            SettingsFile(path).Write(TextKey(key), "2");
            return std::string("stored");
        } catch (const SettingsWriteError& e) {
            return std::string(e.what());
        }
    });
}

TEST(SettingsFileWriteError, ReadOnlyFolder) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\n");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    const std::optional<std::string> said = WriteAsUnprivileged(path, "LEFT");
    if (!said) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*said, path + " に書き込めません");
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\n");
}

// A file that exists but cannot be read is not taken for an empty one, which a
// write would then replace, losing every key in it; even in a writable folder.
TEST(SettingsFileWriteError, UnreadableFileIsNotReplacedByAnEmptyOne) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nLEFT=1\r\n");
    ::chmod(path.c_str(), 0);
    ::chmod(dir.path().c_str(), 0777);
    const std::optional<std::string> said = WriteAsUnprivileged(path, "TOP");
    if (!said) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*said, path + " に書き込めません");
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nLEFT=1\r\n");
}

TEST(SettingsFileWriteError, PathThatIsAFolder) {
    TempDir dir;
    SettingsFile file(dir.path());
    ExpectWriteError(file, "LEFT", "1");
    EXPECT_EQ(file.Read(TextKey("LEFT", "d")), "d");
}

TEST(SettingsFileWriteError, LineBreakInAValueIsRefusedNotInjected) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    PlantFile(path, "[SYSTEM]\r\nLEFT=1\r\n");
    SettingsFile file(path);
    ExpectWriteError(file, "SrcDir", "a\r\nLEFT=999", "改行を含む値は保存できません");
    ExpectWriteError(file, "SrcDir", "\xFF not UTF-8");
    // Longer than a read gives back: refused rather than cut at the next start.
    ExpectWriteError(file, "SrcDir", std::string(SettingsFile::kMaxValueBytes + 1, 'x'));
    EXPECT_EQ(FileBytes(path), "[SYSTEM]\r\nLEFT=1\r\n");
    // The same judgement, asked beforehand.
    EXPECT_FALSE(SettingsFile::CanStore("a\nb"));
    EXPECT_FALSE(SettingsFile::CanStore(std::string(SettingsFile::kMaxValueBytes + 1, 'x')));
    EXPECT_TRUE(SettingsFile::CanStore(std::string(SettingsFile::kMaxValueBytes, 'x')));
    file.Write(TextKey("SrcDir"), std::string(SettingsFile::kMaxValueBytes, 'x'));
    EXPECT_EQ(file.Read(TextKey("SrcDir")), std::string(SettingsFile::kMaxValueBytes, 'x'));
}

// ---- Damaged files: reads work, writes keep every other byte ----

std::string RandomBytes(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

struct DamageRow {
    const char* name;
    std::string file;
};

class DamagedFile : public testing::TestWithParam<DamageRow> {};

TEST_P(DamagedFile, ReadsGiveDefaultsAndWritesKeepTheRest) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    const std::string& before = GetParam().file;
    PlantFile(path, before);
    SettingsFile file(path);
    EXPECT_EQ(file.Read(keys::kLeft), -1);
    file.Write(keys::kLeft, 12);
    file.Write(TextKey("SrcDir"), kNihonUtf8);
    const std::string after = FileBytes(path);
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(file.Read(keys::kLeft), 12);
    EXPECT_EQ(file.Read(TextKey("SrcDir")), kNihonUtf8);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedFile,
    testing::Values(DamageRow{"Binary", RandomBytes(65536)},
                    DamageRow{"NulBytes", std::string("[OTHER]\r\nA=\0\0\0\r\n\0\0[\0]\0"sv)},
                    DamageRow{"NoSectionLine", "LEFT=5\r\nTOP=6\r\n"},
                    DamageRow{"LinesWithoutEquals", "hello\r\nworld\r\n[OTHER]\r\nplain text\r\n"},
                    DamageRow{"OnlyLineBreaks", "\r\n\n\r\r\n"}),
    [](const testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

TEST(DamagedFile, FiftyMegabytesKeepEveryOtherKey) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.ini";
    std::string before = "[OTHER]\r\n";
    for (int i = 0; before.size() < 50u * 1024 * 1024; ++i)
        before += "Key" + std::to_string(i) + "=\"some value with blanks\"\r\n";
    before += "[SYSTEM]\r\nLEFT=3\r\n";
    PlantFile(path, before);
    SettingsFile file(path);
    EXPECT_EQ(file.Read(keys::kLeft), 3);
    file.Write(keys::kTop, 4);
    const std::string after = FileBytes(path);
    EXPECT_EQ(after.size(), before.size() + 7);
    EXPECT_EQ(after.compare(0, before.size(), before), 0);
    EXPECT_EQ(file.Read(keys::TextKey{"OTHER", "Key12345"}), "\"some value with blanks\"");
}

}  // namespace
}  // namespace nuthumb
