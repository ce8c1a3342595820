// Numeric character references (&#22836; &#x5934;): reading one, and writing
// another character in the same form.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovenrak::core {

// How a reference was written, so that another character can be written
// the same way.
struct ReferenceForm {
  bool hex = false;           // "&#x...;" rather than "&#...;".
  bool upper_x = false;       // "&#X...;".
  bool upper_digits = false;  // Hex digits A-F rather than a-f.
  uint8_t digits = 0;         // How many digits, leading zeros included.
  bool semicolon = true;      // Ends with ';', as it should.
};

struct CharacterReference {
  char32_t value = 0;
  size_t length = 0;  // Code points from '&' to ';' (if any) inclusive.
  ReferenceForm form;
};

// Reads the numeric character reference at the start of `text`: "&#", up
// to 32 leading zeros and one to eight decimal digits (or "x" or "X" and
// hex digits so), ";"
// or, as browsers also read it, a character that is no digit or the end.
// std::nullopt when there is none, and when the number is not a character
// that a reference can stand for (0, a surrogate, U+0080-U+009F, which
// browsers read as windows-1252, or above U+10FFFF).
std::optional<CharacterReference> ReadReference(std::u32string_view text);

// How many code points the named character reference at the start of `text`
// takes ("&copy;": '&', an ASCII letter, up to 31 more letters and digits,
// ';'), or 0 when none begins there. Its name is not looked up: whatever
// character it stands for, it is written as it was.
size_t NamedReferenceLength(std::u32string_view text);

// Stands in a phrase for a named reference, which converts to nothing else
// and joins no phrase: a noncharacter, in no dictionary.
inline constexpr char32_t kNamedReferenceMark = U'\uFDD0';

// Appends the reference to `c` written in `form`: "&#", "x" or "X" for hex,
// the number with at least `form.digits` digits, ";" if the form has one.
void AppendReference(char32_t c, const ReferenceForm& form,
                     std::u32string& out);

}  // namespace tovenrak::core
