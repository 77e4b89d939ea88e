#include <gtest/gtest.h>

#include <filesystem>

#include "run/error_list_file.h"
#include "platform/file_io.h"
#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_samples.h"
#include "tests/support/write_limit.h"

namespace nuthumb {
namespace {

using test::ReadText;

struct ErrorListRow {
    const char* name;
    std::vector<std::string> lines;
    std::string bytes;
};

class ErrorListFileTest : public ::testing::TestWithParam<ErrorListRow> {};

TEST_P(ErrorListFileTest, WritesExactBytes) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.Err";
    EXPECT_EQ(WriteErrorListFile(path, GetParam().lines), std::nullopt);
    EXPECT_EQ(ReadText(path), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrorListFileTest,
    ::testing::Values(
        ErrorListRow{"EveryLineEndsInCrLfTheLastToo",
                     {"/in/a.jpg", "/in/b.jpg"},
                     "/in/a.jpg\r\n/in/b.jpg\r\n"},
        ErrorListRow{"JapaneseInCp932", {"/写真/壊れ.jpg"}, "/\x8E\xCA\x90\x5E/\x89\xF3\x82\xEA.jpg\r\n"},
        ErrorListRow{"FullwidthMinusIsCp932s817C", {"－"}, "\x81\x7C\r\n"},
        ErrorListRow{"CharacterOutsideCp932MakesTheWholeFileUtf8WithBom",
                     {"/写真/a.jpg", "/ü€😀/b.jpg"},
                     "\xEF\xBB\xBF/写真/a.jpg\r\n/ü€😀/b.jpg\r\n"},
        // A batch log line holding a hand-edited folder text names the same bytes.
        ErrorListRow{"EscapedByteWrittenAsTheByte", {"/in/caf" + test::Esc(0xE9) + ".jpg"}, "/in/caf\xE9.jpg\r\n"},
        ErrorListRow{"EmptyListEmptyFile", {}, ""},
        // Such names become file URIs; the other lines keep the file's encoding.
        ErrorListRow{"NameNotUtf8IsAFileUri",
                     {"/写真/a.jpg", "/in/caf\xE9 1%.jpg"},
                     "/\x8E\xCA\x90\x5E/a.jpg\r\nfile:///in/caf%E9%201%25.jpg\r\n"},
        ErrorListRow{"LineBreakInNameIsAFileUri",
                     {"/in/a\nb.jpg", "/in/c\r.jpg", "/in/ü.jpg"},
                     "\xEF\xBB\xBF" "file:///in/a%0Ab.jpg\r\nfile:///in/c%0D.jpg\r\n"
                     "/in/ü.jpg\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class ErrorListOneWayTest : public ::testing::TestWithParam<test::OneWayCharacter> {};

TEST_P(ErrorListOneWayTest, LineNamesTheSameFileInUtf8) {
    TempDir dir;
    const std::string path = dir.path() + "/NuThumb.Err";
    const std::string line = "/写真" + GetParam().text + "2020/a.jpg";
    EXPECT_EQ(WriteErrorListFile(path, {"/写真/b.jpg", line}), std::nullopt);
    EXPECT_EQ(ReadText(path), "\xEF\xBB\xBF/写真/b.jpg\r\n" + line + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Table, ErrorListOneWayTest, ::testing::ValuesIn(test::OneWayCp932Characters()),
                         [](const auto& info) { return std::string(info.param.name); });

// What the README tells a reader to do gives every byte of such a name back: a
// relative name is taken from the working directory (also one that would read as
// a file URI), an escaped byte of a folder text read from a file is the byte it
// stands for.
TEST(ErrorListFileTest, PercentDecodingAFileUriGivesTheNamesBytes) {
    TempDir dir;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
    const std::string escaped = "/in/" + test::Esc(0xE9) + "\n";
    const std::string bytes = ComposeErrorListFile({every_byte, escaped, "file:/x.jpg"});
    std::filesystem::current_path(before);

    std::vector<std::string> names;
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = bytes.substr(start, end - start);
        ASSERT_TRUE(line.starts_with("file://")) << line;
        std::string name;
        for (std::size_t i = 7; i < line.size(); ++i) {
            ASSERT_GE(line[i], 0x21) << "plain ASCII";
            if (line[i] != '%') name.push_back(line[i]);
            else name.push_back(static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16))), i += 2;
        }
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{dir.path() + "/" + every_byte, "/in/\xE9\n", dir.path() + "/file:/x.jpg"}));
}

// A missing folder or a full disk: the reason comes back, naming the folder,
// and the old file stays whole.
TEST(ErrorListFileFailureTest, ReturnsTheReasonAndKeepsTheOldFile) {
    TempDir dir;
    const std::optional<std::string> missing = WriteErrorListFile(dir.path() + "/missing/NuThumb.Err", {"x"});
    ASSERT_TRUE(missing.has_value());
    EXPECT_NE(missing->find(dir.path() + "/missing"), std::string::npos) << *missing;

    const std::string path = dir.path() + "/NuThumb.Err";
    ASSERT_EQ(WriteErrorListFile(path, {"old"}), std::nullopt);
    bool refused = false;
    {
        const FileSizeLimit limit(4);
        refused = WriteErrorListFile(path, {"a much longer line than four bytes"}).has_value();
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(ReadText(path), "old\r\n");
}

TEST(ErrorListFilePathTest, LiesBesideTheExecutable) {
    const std::string path = ErrorListFilePath();
    EXPECT_EQ(std::filesystem::path(path).filename(), "NuThumb.Err");
    EXPECT_EQ(std::filesystem::path(path).parent_path(),
              std::filesystem::canonical("/proc/self/exe").parent_path());
}

}  // namespace
}  // namespace nuthumb
