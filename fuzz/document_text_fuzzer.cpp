// Any bytes read as document text: the units write back to the same bytes,
// follow the lead and trail ranges, and searches match only on unit
// boundaries.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/big5_detection.h"
#include "core/encoding/document_text.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

FUZZ_REFERENCE char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

// The first unit boundary at or after `from` where `needle` stands, by
// trying every boundary in turn.
FUZZ_REFERENCE size_t PlainFind(std::string_view text,
                                const std::vector<char>& boundary,
                                std::string_view needle, size_t from,
                                bool ignore_case) {
  for (size_t pos = from; pos + needle.size() <= text.size(); ++pos) {
    if (!boundary[pos]) continue;
    bool match = true;
    for (size_t i = 0; i < needle.size() && match; ++i) {
      match = ignore_case ? Lower(text[pos + i]) == Lower(needle[i])
                          : text[pos + i] == needle[i];
    }
    if (match) return pos;
  }
  return std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::vector<Unit> units = BytesToUnits(text);
  FUZZ_CHECK(UnitsToBytes(units) == text,
             "units do not write back to the same bytes");
  FUZZ_CHECK(CountUnits(text) == units.size(),
             "CountUnits disagrees with BytesToUnits");

  std::vector<char> boundary(size + 1, false);
  size_t pos = 0;
  for (Unit unit : units) {
    boundary[pos] = true;
    const auto b = static_cast<unsigned char>(text[pos]);
    const size_t length = UnitLength(text, pos);
    if (length == 2) {
      FUZZ_CHECK(IsLeadByte(b) && IsTrailByte(text[pos + 1]),
                 "a double-byte unit outside the lead and trail ranges");
      FUZZ_CHECK(unit == ((b << 8) | static_cast<unsigned char>(text[pos + 1])),
                 "a double-byte unit has the wrong value");
    } else {
      FUZZ_CHECK(unit == b, "a single-byte unit has the wrong value");
      FUZZ_CHECK(!IsLeadByte(b) || pos + 1 == size ||
                     !IsTrailByte(static_cast<unsigned char>(text[pos + 1])),
                 "a lead and trail pair was split into two units");
    }
    pos += length;
  }
  FUZZ_CHECK(pos == size, "units do not cover the text");
  boundary[size] = true;

  // Needles: the words the program searches for, and one taken from the
  // input's own ASCII bytes so that matches are frequent.
  std::string own;
  for (size_t i = 0; i < size && own.size() < 4; ++i) {
    if (data[size - 1 - i] < 0x80) own += static_cast<char>(data[size - 1 - i]);
  }
  const std::string_view needles[] = {"big5", "charset=", "<meta", ">", own};
  // Start from a boundary picked by the input.
  size_t from = size == 0 ? 0 : data[0] % (size + 1);
  while (!boundary[from]) ++from;
  for (std::string_view needle : needles) {
    for (bool ignore_case : {false, true}) {
      FUZZ_CHECK(FindAscii(text, needle, from, ignore_case) ==
                     PlainFind(text, boundary, needle, from, ignore_case),
                 "FindAscii disagrees with a plain search over unit "
                 "boundaries");
    }
  }
  FUZZ_CHECK(MentionsBig5(text) == (PlainFind(text, boundary, "big5", 0,
                                              true) != std::string_view::npos),
             "MentionsBig5 disagrees with a plain search");
  return 0;
}
