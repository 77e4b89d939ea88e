#pragma once
// Text on the way to a terminal. A file name may hold any byte but "/" and NUL:
// shown raw, ESC sequences set the terminal's title or colours, backspaces and
// line feeds break the progress bar. On a terminal such bytes show escaped, as
// ls shows them; a pipe or a file gets the bytes unchanged.
#include <string>
#include <string_view>

namespace nuthumb {

// The text with each CR LF (the message boxes' line break) as a plain newline.
// With `escape`, every other control character (C0, DEL, the C1 range U+0080 to
// U+009F) and every byte that is no part of a UTF-8 character is shown as
// \a \b \t \n \v \f \r or as \ooo (octal), as `ls -b` does.
std::string TerminalText(std::string_view text, bool escape);

// TerminalText for standard output or standard error: escaped when that stream
// is a terminal.
std::string ForStdout(std::string_view text);
std::string ForStderr(std::string_view text);

}  // namespace nuthumb
