// File names and OS messages made safe to print on a terminal.

#pragma once

#include <string>
#include <string_view>

namespace tovenrak::core {

// Returns `text` with each control character written as \xHH, so that a
// name cannot move the cursor, clear the screen, set the window title or
// pass for another name: bytes 0x00-0x1F and 0x7F; the C1 controls
// U+0080-U+009F in their UTF-8 form, and a byte 0x80-0x9F that no
// character holds (nor a GBK or Big5 code of two such bytes), which 8-bit
// terminals read as one; the controls of writing direction (U+061C, U+200E,
// U+200F, U+202A-U+202E, U+2066-U+2069), which would show "txt.exe" for a
// name ending "\u202Eexe.txt", and the characters that show as nothing
// (U+200B, U+2028, U+2029, U+2060, U+FEFF), in their UTF-8 form. A backslash
// becomes "\\" so that an escape is never ambiguous. Every other byte is kept,
// so that names in UTF-8, GBK or Big5 print as they are (a GBK pair that is one
// of those UTF-8 forms aside).
std::string EscapeForTerminal(std::string_view text);

}  // namespace tovenrak::core
