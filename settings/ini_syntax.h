#pragma once
// The line grammar of an INI file, on the file's raw bytes. Lines end at LF; a CR
// before it belongs to the ending. In CP932 a byte of 0x40 or above may be the
// second half of a two-byte character, so names are compared and brackets found
// character by character there; '=', CR and LF never occur inside a character.
#include <cstddef>
#include <string>
#include <string_view>

namespace nuthumb {

struct IniLine {
    std::size_t begin = 0;   // first byte
    std::size_t end = 0;     // end of the content, before CR LF or LF
    std::size_t next = 0;    // start of the following line
};

// Yields the lines of `text` one by one, the last one also without an ending.
class IniLineReader {
public:
    explicit IniLineReader(std::string_view text) : text_(text) {}
    bool Next(IniLine& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class IniLineKind { kSection, kKey, kOther };

struct ParsedIniLine {
    IniLineKind kind = IniLineKind::kOther;
    std::string_view name;       // section or key name, blanks around it removed
    std::size_t value_start = 0; // for a key: offset of the value in the content
};

// Classifies one line's content: "[name]" (blanks allowed around the name and
// before '['), "name=value" (the value is everything after the first '='), or
// anything else, which is kept but never matched.
ParsedIniLine ParseIniLine(std::string_view content, bool cp932);

// Name equality with ASCII letters compared without case; in CP932 the two bytes
// of a double-byte character are compared exactly.
bool IniNamesEqual(std::string_view a, std::string_view b, bool cp932);

// The name with every single-byte ASCII letter lower-cased: equal folds mean
// IniNamesEqual.
std::string FoldIniName(std::string_view name, bool cp932);

}  // namespace nuthumb
