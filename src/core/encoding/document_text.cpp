#include "core/encoding/document_text.h"

#include <cstring>

#include "core/encoding/codec.h"

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

// The length of the unit at `pos`, which starts with a byte above 0x7F.
template <Encoding kEncoding>
size_t NonAsciiUnitLength(std::string_view text, size_t pos) {
  if constexpr (kEncoding == Encoding::kUtf8) {
    // No byte of a multi-byte sequence is ASCII, so stepping over them one
    // at a time passes the same ASCII bytes as stepping by sequences.
    return 1;
  } else if constexpr (kEncoding == Encoding::kGb18030) {
    return UnitLengthIn(text, pos, kEncoding);
  } else {
    return UnitLength(text, pos);
  }
}

template <Encoding kEncoding>
size_t FindAsciiIn(std::string_view text, std::string_view needle, size_t from,
                   bool ignore_case) {
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
      pos += NonAsciiUnitLength<kEncoding>(text, pos);
    }
  }
  return std::string_view::npos;
}

}  // namespace

size_t FindAscii(std::string_view text, Encoding encoding,
                 std::string_view needle, size_t from, bool ignore_case) {
  if (needle.empty())
    return from <= text.size() ? from : std::string_view::npos;
  // A byte below 0x40 other than a digit ('<', '&', a quote, white space)
  // is a unit of its own in every encoding, and so is each ASCII byte after
  // it: such a needle stands wherever its bytes do, found a memchr at a time.
  const auto first = static_cast<unsigned char>(needle[0]);
  if (first < 0x40 && (first < '0' || first > '9')) {
    for (size_t at = text.find(needle[0], from); at != std::string_view::npos;
         at = text.find(needle[0], at + 1)) {
      if (MatchesAt(text, at, needle, ignore_case)) return at;
    }
    return std::string_view::npos;
  }
  switch (encoding) {
    case Encoding::kBig5:
    case Encoding::kGbk:
      return FindAsciiIn<Encoding::kGbk>(text, needle, from, ignore_case);
    case Encoding::kGb18030:
      return FindAsciiIn<Encoding::kGb18030>(text, needle, from, ignore_case);
    case Encoding::kUtf8:
      break;
  }
  return FindAsciiIn<Encoding::kUtf8>(text, needle, from, ignore_case);
}

}  // namespace tovenrak::core
