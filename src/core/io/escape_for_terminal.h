// File names and OS messages made safe to print on a terminal.

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovenrak::core {

// How the bytes of a name that are no UTF-8 are shown. A terminal that reads
// UTF-8 shows a GBK or Big5 name as garbage, and one character of the name
// may take a byte of the next with it; a terminal of a GBK or Big5 locale
// shows it as it is.
enum class OtherBytes : uint8_t {
  kEscaped,     // Each as \xHH, so that the name can be told and typed.
  kDoubleByte,  // Kept, but for the controls said below.
};

// Returns `text` with each control character written as \xHH, so that a
// name cannot move the cursor, clear the screen, set the window title or
// pass for another name: bytes 0x00-0x1F and 0x7F; the C1 controls
// U+0080-U+009F in their UTF-8 form, and a byte 0x80-0x9F that no
// character holds (nor a GBK or Big5 code of two such bytes), which 8-bit
// terminals read as one; the controls of writing direction (U+061C, U+200E,
// U+200F, U+202A-U+202E, U+2066-U+2069), which would show "txt.exe" for a
// name ending "\u202Eexe.txt", and the characters that show as nothing
// (U+200B, U+2028, U+2029, U+2060, U+FEFF), in their UTF-8 form. A backslash
// becomes "\\" so that an escape is never ambiguous. Every other character
// of UTF-8 is kept, and the bytes that are none as `other` says.
std::string EscapeForTerminal(std::string_view text,
                              OtherBytes other = OtherBytes::kEscaped);

}  // namespace tovenrak::core
