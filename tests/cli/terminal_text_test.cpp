#include <gtest/gtest.h>

#include "cli/terminal_text.h"

namespace nuthumb {
namespace {

struct TerminalRow {
    const char* name;
    std::string text, on_terminal;
    friend void PrintTo(const TerminalRow& row, std::ostream* os) { *os << row.name; }
};

class TerminalTextTest : public testing::TestWithParam<TerminalRow> {};

// On a terminal only the message's own CR LF breaks the line; every other byte
// that a terminal would act on shows as ls -b shows it. Elsewhere the bytes stay.
TEST_P(TerminalTextTest, EscapesWhatATerminalWouldActOn) {
    EXPECT_EQ(TerminalText(GetParam().text, true), GetParam().on_terminal);
    std::string plain = GetParam().text;
    for (std::size_t at; (at = plain.find("\r\n")) != std::string::npos;) plain.erase(at, 1);
    EXPECT_EQ(TerminalText(GetParam().text, false), plain);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TerminalTextTest,
    testing::Values(
        TerminalRow{"MessageLineBreak", "読めません。\r\nFilename : a.jpg", "読めません。\nFilename : a.jpg"},
        TerminalRow{"TitleSequence", "a\x1b]0;owned\x07.jpg", "a\\033]0;owned\\a.jpg"},
        TerminalRow{"ColourBackspaceAndLoneBreaks", "\x1b[31m\b\b\n\r\t.jpg", "\\033[31m\\b\\b\\n\\r\\t.jpg"},
        TerminalRow{"DelAndC1Controls", "a\x7f\xc2\x9b" "1m\xc2\xa0", "a\\177\\302\\2331m\xc2\xa0"},
        TerminalRow{"BytesThatAreNoUtf8", "caf\xe9\xe6\x97.jpg", "caf\\351\\346\\227.jpg"},
        TerminalRow{"TextUntouched", "写真/ü😀 a\\b.jpg", "写真/ü😀 a\\b.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
