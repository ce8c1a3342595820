// File names and OS messages made safe to print on a terminal.

#pragma once

#include <string>
#include <string_view>

namespace tovenrak::core {

// Returns `text` with each control character written as \xHH, so that a
// name cannot move the cursor, clear the screen or set the window title:
// bytes 0x00-0x1F and 0x7F, and the C1 controls U+0080-U+009F in their UTF-8
// form (both bytes escaped). A backslash becomes "\\" so that an escape is
// never ambiguous. Every other byte is kept, so that names in UTF-8, GBK or
// Big5 print as they are (a GBK pair 0xC2 0x80-0x9F aside).
std::string EscapeForTerminal(std::string_view text);

}  // namespace tovenrak::core
