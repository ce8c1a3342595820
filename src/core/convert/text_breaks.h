// The characters no key or value of OpenCC's dictionaries holds, after
// which a text can be cut without changing its conversion.

#pragma once

#include <string_view>

namespace tovenrak::core {

// White space: space, tab, line feed, form feed, carriage return.
inline constexpr std::string_view kBreakingSpaces = " \t\n\f\r";
// What ends a sentence or a clause besides a line feed.
inline constexpr std::u32string_view kSentenceEnds = U"、。！，：；？";

// Whether `c` ends a sentence or a clause: one of kSentenceEnds, or a line
// feed.
inline bool EndsSentence(char32_t c) {
  return c == '\n' || kSentenceEnds.find(c) != std::u32string_view::npos;
}

// A break: white space or a character that ends a sentence. OpenCC's
// dictionaries are lines whose outputs are separated by spaces, and hold no
// such punctuation, so converting the parts of a text cut after breaks
// gives what converting it whole does, unless a converter's own keys hold
// one (Converter::KeysHoldBreaks).
inline bool IsBreak(char32_t c) {
  return (c < 0x80 && c != 0 &&
          kBreakingSpaces.find(static_cast<char>(c)) !=
              std::string_view::npos) ||
         EndsSentence(c);
}

}  // namespace tovenrak::core
