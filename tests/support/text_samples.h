#pragma once
// Texts that are easy to lose on the way into a file and back.
#include <ostream>
#include <string>
#include <vector>

namespace nuthumb::test {

// The escape that stands for an undecodable byte (80..FF): U+10DC00 + byte in
// UTF-8, spelled out here so that the tests pin the form down.
inline std::string Esc(unsigned char byte) {
    return {'\xF4', '\x8D', static_cast<char>(0xB2 | (byte >> 6 & 1)), static_cast<char>(0x80 | (byte & 0x3F))};
}

// The characters that iconv's CP932 table encodes but decodes as another one
// (found by sending every BMP code point through the codec), with the bytes they
// would be stored as. A text holding one must never go out as CP932.
struct OneWayCharacter {
    const char* name;
    std::string text;   // UTF-8
    std::string bytes;  // what CP932 would store; reads back as another character
    friend void PrintTo(const OneWayCharacter& c, std::ostream* os) { *os << c.text; }
};

inline const std::vector<OneWayCharacter>& OneWayCp932Characters() {
    static const std::vector<OneWayCharacter> table{
        {"WaveDash", "〜", "\x81\x60"},           {"YenSign", "¥", "\x5C"},
        {"MinusSign", "−", "\x81\x7C"},           {"DoubleVerticalLine", "‖", "\x81\x61"},
        {"CentSign", "¢", "\x81\x91"},            {"PoundSign", "£", "\x81\x92"},
        {"NotSign", "¬", "\x81\xCA"},             {"EmDash", "—", "\x81\x5C"},
        {"Overline", "‾", "\x7E"},
    };
    return table;
}

}  // namespace nuthumb::test
