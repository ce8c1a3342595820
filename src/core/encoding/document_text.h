// Document text: a file's bytes seen as a sequence of units, and searches that
// never match inside a character.
//
// A document is kept as the exact bytes of its file. In Big5 and GBK it is
// read as units: a byte below 0x80 is one unit; a lead byte 0x81-0xFE
// followed by a trail byte 0x40-0x7E or 0x80-0xFE is one double-byte unit;
// any other byte (0x80, 0xFF, a lead byte without a trail) is a unit of its
// own. GB18030 adds four-byte units and UTF-8 has its own (UnitLengthIn in
// codec.h). Positions are byte offsets that fall on unit boundaries, so no
// search can match inside a character.

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsTrailByte(unsigned char b) {
  // 0x40-0xFE but 0x7F, without a branch: text alternates at random between
  // trail bytes below and above 0x7F, and a mispredicted branch per
  // character is most of what decoding costs.
  return (b - 0x40u <= 0xFEu - 0x40u) & (b != 0x7F);
}

// Returns the length in bytes (1 or 2) of the Big5 or GBK unit that starts at
// `pos`.
// REQUIRES: pos < text.size()
inline size_t UnitLength(std::string_view text, size_t pos) {
  return (IsLeadByte(static_cast<unsigned char>(text[pos])) &&
          pos + 1 < text.size() &&
          IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
             ? 2
             : 1;
}

// Returns the end of the run of bytes below 0x80 that starts at `pos`: the
// first byte above 0x7F at or after it, or text.size().
inline size_t AsciiRunEnd(std::string_view text, size_t pos) {
  const char* p = text.data();
  const size_t n = text.size();
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  for (uint64_t word; pos + 8 <= n; pos += 8) {
    std::memcpy(&word, p + pos, 8);
    if ((word & kHighBits) != 0) break;
  }
  while (pos < n && static_cast<unsigned char>(p[pos]) < 0x80) ++pos;
  return pos;
}

// A unit's value: the byte itself for a single-byte unit, (lead << 8) | trail
// for a double-byte unit (always 0x8140 or more).
using Unit = uint16_t;

// Returns the byte offset of the first occurrence of `needle` (ASCII only) at
// or after the unit boundary `from` that starts on a unit boundary of text in
// `encoding` (see UnitLengthIn), or std::string_view::npos. With
// `ignore_case`, ASCII letters match regardless of case.
// REQUIRES: `from` is a unit boundary of `text`.
size_t FindAscii(std::string_view text, Encoding encoding,
                 std::string_view needle, size_t from = 0,
                 bool ignore_case = false);

}  // namespace tovenrak::core
