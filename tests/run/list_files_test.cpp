#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "run/list_files.h"
#include "platform/file_io.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

std::vector<std::string> List(const std::string& pattern, bool with_extension = true) {
    RecordingHost host;
    std::vector<std::string> list{"stale"};
    ListFiles(list, pattern, with_extension, host);
    return list;
}

TEST(ListFilesTest, MatchesExtensionInAnyCaseInUpperCasedByteOrder) {
    TempDir dir;
    for (const char* name : {"c.Jpg", "B.jpg", "a.JPG", "d.jpeg", "e.jpg.txt", "_x.jpg", "Z.jpg",
                             "[.jpg", ".jpg", "a.b.JPG"})
        Touch(dir.path() + "/" + name);
    // Upper-cased, '[' (0x5B) sorts after 'Z' and '_' (0x5F) after '['; '.' before letters.
    const std::vector<std::string> expected{".jpg", "a.b.JPG", "a.JPG", "B.jpg", "c.Jpg",
                                            "Z.jpg", "[.jpg",   "_x.jpg"};
    EXPECT_EQ(List(dir.path() + "/*.jpg"), expected);
    EXPECT_EQ(List(dir.path() + "/*.JPG"), expected);
}

TEST(ListFilesTest, WithoutExtensionCutsFromTheLastDot) {
    TempDir dir;
    Touch(dir.path() + "/a.b.bmp");
    Touch(dir.path() + "/c.BMP");
    EXPECT_EQ(List(dir.path() + "/*.bmp", false), (std::vector<std::string>{"a.b", "c"}));
}

TEST(ListFilesTest, FoldersAndSpecialFilesAreNeverListedLinksToFilesAre) {
    TempDir dir;
    fs::create_directory(dir.path() + "/x.jpg");
    fs::create_directory(dir.path() + "/real");
    fs::create_directory_symlink(dir.path() + "/real", dir.path() + "/dirlink.jpg");
    Touch(dir.path() + "/target.bin");
    fs::create_symlink(dir.path() + "/target.bin", dir.path() + "/filelink.jpg");
    fs::create_symlink(dir.path() + "/nowhere", dir.path() + "/dangling.jpg");
    ASSERT_EQ(::mkfifo((dir.path() + "/pipe.jpg").c_str(), 0600), 0);
    Touch(dir.path() + "/y.jpg");
    EXPECT_EQ(List(dir.path() + "/*.jpg"), (std::vector<std::string>{"filelink.jpg", "y.jpg"}));
}

TEST(ListFilesTest, NothingFoundGivesFalseAFolderThatCannotBeReadThrows) {
    TempDir dir;
    Touch(dir.path() + "/a.bmp");
    RecordingHost host;
    std::vector<std::string> list{"stale"};
    EXPECT_FALSE(ListFiles(list, dir.path() + "/*.jpg", true, host));
    EXPECT_TRUE(list.empty());
    for (const auto& [folder, reason] : {std::pair{dir.path() + "/missing", "No such file or directory"},
                                         std::pair{dir.path() + "/a.bmp", "Not a directory"}}) {
        list = {"stale"};
        try {
            ListFiles(list, folder + "/*.jpg", true, host);
            ADD_FAILURE() << "expected IoError for " << folder;
        } catch (const IoError& e) {
            EXPECT_EQ(std::string(e.what()), "フォルダ " + folder + " を読み込めません: " + reason);
        }
        EXPECT_TRUE(list.empty());
    }
    EXPECT_EQ(host.pending_calls, 0);
}

TEST(ListFilesTest, HandlesPendingMessagesOncePerMatchingEntry) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.bmp"}) Touch(dir.path() + "/" + name);
    fs::create_directory(dir.path() + "/d.jpg");
    RecordingHost host;
    std::vector<std::string> list;
    EXPECT_TRUE(ListFiles(list, dir.path() + "/*.jpg", true, host));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(host.pending_calls, 3);  // the matching folder too, as an enumeration would
}

// A run's listing and the count behind the note after it, in one pass: other
// formats we read, formats no run reads, any letter case; folders, the chosen
// format and other files are not images passed over.
TEST(ListFilesTest, CountsTheImagesARunOfTheChosenFormatPassesOver) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.JPEG", "c.bmp", "d.PNG", "e.webp", "f.heic", "g.txt", "h.avif", "i.GIF",
                             "j.tiff"})
        Touch(dir.path() + "/" + name);
    fs::create_directory(dir.path() + "/k.png");
    RecordingHost host;
    const struct {
        SourceChoice chosen;
        std::size_t listed, other, unread;
    } rows[] = {{ImageFormat::kJpeg, 2, 5, 2}, {ImageFormat::kBmp, 1, 6, 2}, {ImageFormat::kHeic, 1, 6, 2},
                {kEveryReadableFormat, 7, 0, 2}};
    for (const auto& row : rows) {
        const FolderEntries entries =
            ListFolder(dir.path(), [&](std::string_view name) { return RunNameKind(name, row.chosen); }, host);
        EXPECT_EQ(entries.files.size(), row.listed);
        EXPECT_EQ(entries.passed_over.other_format, row.other);
        EXPECT_EQ(entries.passed_over.unread_format, row.unread);
    }
}

struct WildcardRow {
    const char* name;
    const char* pattern;
    const char* text;
    bool matches;
};

class WildcardTest : public ::testing::TestWithParam<WildcardRow> {};

TEST_P(WildcardTest, Matches) {
    EXPECT_EQ(MatchesWildcard(GetParam().pattern, GetParam().text), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WildcardTest,
    ::testing::Values(WildcardRow{"StarTakesEverything", "*.jpg", "photo.JPG", true},
                      WildcardRow{"StarTakesNothing", "*.jpg", ".jpg", true},
                      WildcardRow{"StarTakesDots", "*.jpg", "a.jpg.jpg", true},
                      WildcardRow{"LongerExtension", "*.jpg", "a.jpeg", false},
                      WildcardRow{"TrailingBytes", "*.jpg", "a.jpgx", false},
                      WildcardRow{"QuestionMarkOneByte", "?.bmp", "a.bmp", true},
                      WildcardRow{"QuestionMarkNotTwo", "?.bmp", "ab.bmp", false},
                      WildcardRow{"NonAsciiBytesExact", "*.jpg", "写真.jpg", true},
                      WildcardRow{"BacktracksPastFalseStart", "*a.b", "aaa.a.b", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
