// Document text: a file's bytes seen as a sequence of single- and double-byte
// units.
//
// A document is kept as the exact bytes of its file. It is read as units: a
// byte below 0x80 is one unit; a lead byte 0x81-0xFE followed by a trail byte
// 0x40-0x7E or 0x80-0xFE is one double-byte unit; any other byte (0x80, 0xFF,
// a lead byte without a trail) is a unit of its own. The units always write
// back to the same bytes. Positions are byte offsets that fall on unit
// boundaries, so no search can match inside a double-byte character.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovenrak::core {

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// Returns the length in bytes (1 or 2) of the unit that starts at `pos`.
// REQUIRES: pos < text.size()
inline size_t UnitLength(std::string_view text, size_t pos) {
  return (IsLeadByte(static_cast<unsigned char>(text[pos])) &&
          pos + 1 < text.size() &&
          IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
             ? 2
             : 1;
}

// A unit's value: the byte itself for a single-byte unit, (lead << 8) | trail
// for a double-byte unit (always 0x8140 or more).
using Unit = uint16_t;

// Splits `text` into units. Writing them with UnitsToBytes gives `text` back.
std::vector<Unit> BytesToUnits(std::string_view text);
std::string UnitsToBytes(const std::vector<Unit>& units);

// Number of units in `text`.
size_t CountUnits(std::string_view text);

// Returns the byte offset of the first unit-aligned occurrence of `needle`
// (ASCII only) at or after the unit boundary `from`, or std::string_view::npos.
// With `ignore_case`, ASCII letters match regardless of case.
// REQUIRES: `from` is a unit boundary of `text`.
size_t FindAscii(std::string_view text, std::string_view needle,
                 size_t from = 0, bool ignore_case = false);

}  // namespace tovenrak::core
