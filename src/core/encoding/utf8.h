// UTF-8 sequences: strict validation for decoding documents, and the plain
// encoding and decoding at the converter's OpenCC boundary.

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovenrak::core {

// Appends the UTF-8 form of `cp` to `out`.
void AppendUtf8(char32_t cp, std::string& out);

// The UTF-8 form of `text`, UTF-16 in the byte order its byte-order mark
// says, the mark written as UTF-8's; std::nullopt when it is no well-formed
// UTF-16 (an odd byte at the end, half of a surrogate pair).
// REQUIRES: `text` starts with FF FE or FE FF.
std::optional<std::string> Utf8FromUtf16(std::string_view text);

// Decodes the code point at `pos` and advances `pos` past it. A malformed
// sequence yields U+FFFD and advances one byte.
// REQUIRES: pos < text.size()
char32_t NextUtf8(std::string_view text, size_t& pos);

// Returns the length (1-4) of the well-formed UTF-8 sequence at `pos`, or 0
// when the bytes there are not one: a stray continuation byte, an overlong
// form, a surrogate, a value above U+10FFFF, or a sequence cut short.
// REQUIRES: pos < text.size()
inline size_t WellFormedUtf8Length(std::string_view text, size_t pos) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const size_t left = text.size() - pos;
  const unsigned b0 = p[0];
  if (b0 < 0x80) return 1;
  // The second byte's range depends on the first (Unicode's table of
  // well-formed sequences): it rules out overlong forms, surrogates and
  // values above U+10FFFF.
  size_t length;
  unsigned low = 0x80, high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

// The code point of the well-formed sequence of `length` bytes at `p`.
// REQUIRES: length == WellFormedUtf8Length(...) of these bytes, not 0.
inline char32_t Utf8CodePoint(const unsigned char* p, size_t length) {
  switch (length) {
    case 1:
      return p[0];
    case 2:
      return (char32_t{p[0] & 0x1Fu} << 6) | (p[1] & 0x3F);
    case 3:
      return (char32_t{p[0] & 0x0Fu} << 12) | (char32_t{p[1] & 0x3Fu} << 6) |
             (p[2] & 0x3F);
    default:
      return (char32_t{p[0] & 0x07u} << 18) | (char32_t{p[1] & 0x3Fu} << 12) |
             (char32_t{p[2] & 0x3Fu} << 6) | (p[3] & 0x3F);
  }
}

}  // namespace tovenrak::core
