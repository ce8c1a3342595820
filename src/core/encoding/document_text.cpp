#include "core/encoding/document_text.h"

#include <cstring>

namespace tovenrak::core {

namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool MatchesAt(std::string_view text, size_t pos, std::string_view needle,
               bool ignore_case) {
  if (text.size() - pos < needle.size()) return false;
  if (!ignore_case)
    return std::memcmp(text.data() + pos, needle.data(), needle.size()) == 0;
  for (size_t i = 0; i < needle.size(); ++i) {
    if (AsciiLower(text[pos + i]) != AsciiLower(needle[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<Unit> BytesToUnits(std::string_view text) {
  std::vector<Unit> units;
  units.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = UnitLength(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    units.push_back(
        len == 2 ? static_cast<Unit>((lead << 8) |
                                     static_cast<unsigned char>(text[pos + 1]))
                 : lead);
    pos += len;
  }
  return units;
}

std::string UnitsToBytes(const std::vector<Unit>& units) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (Unit u : units) {
    if (u > 0xFF) bytes.push_back(static_cast<char>(u >> 8));
    bytes.push_back(static_cast<char>(u & 0xFF));
  }
  return bytes;
}

size_t CountUnits(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += UnitLength(text, pos)) ++count;
  return count;
}

size_t FindAscii(std::string_view text, std::string_view needle, size_t from,
                 bool ignore_case) {
  if (needle.empty())
    return from <= text.size() ? from : std::string_view::npos;
  const char first = AsciiLower(needle[0]);
  for (size_t pos = from; pos < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
      // Only an ASCII unit can start a match; its first byte decides quickly.
      if ((ignore_case ? AsciiLower(text[pos]) == first
                       : text[pos] == needle[0]) &&
          MatchesAt(text, pos, needle, ignore_case)) {
        // An ASCII byte on a unit boundary is followed by units of its own,
        // so the whole match is unit-aligned.
        return pos;
      }
      ++pos;
    } else {
      pos += UnitLength(text, pos);
    }
  }
  return std::string_view::npos;
}

}  // namespace tovenrak::core
