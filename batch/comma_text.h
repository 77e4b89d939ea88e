#pragma once
// The comma text of a batch entry: fields separated by commas, each either
// double-quoted (a doubled quote inside stands for one) or plain up to the next
// comma or blank.
#include <string>
#include <string_view>
#include <vector>

namespace nuthumb {

// Splits one entry line into its field values:
// - codes 1 to 32 are skipped before the first field, after each field and after
//   each comma;
// - a quoted field runs to the next quote that is not doubled; without a closing
//   quote it runs to the end of the line less the line's last character;
// - a plain field ends at the first comma or code of 32 or less, so a blank
//   outside quotes starts the next field even without a comma;
// - two commas in a row give an empty field, and so does a comma that is the
//   line's last character.
// A NUL byte ends the line. The text is UTF-8, whose multibyte characters hold no
// byte below 0x80, so none can be taken for a quote, comma or blank; "the last
// character" is a whole UTF-8 character.
std::vector<std::string> SplitCommaText(std::string_view line);

// The same split, also telling whether every quote pairs up: each quoted value
// closed, by a quote that a comma, a blank or the line's end follows, and no
// quote in a plain value. A value written with an undoubled quote inside (a"b,
// as the old program wrote a prefix) does not, and has been split apart.
struct CommaFields {
    std::vector<std::string> fields;
    bool quotes_paired = true;
};
CommaFields SplitCommaTextChecked(std::string_view line);

}  // namespace nuthumb
