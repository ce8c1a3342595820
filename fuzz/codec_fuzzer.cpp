// Any bytes in every encoding: decoding goes unit by unit (UnitLengthIn),
// placeholders write back their bytes, a second round trip changes nothing,
// UTF-8 comes back byte for byte, FindAscii matches only on unit boundaries;
// and the input read as code points encodes to bytes that decode back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/code_tables.h"
#include "core/encoding/codec.h"
#include "core/encoding/detection.h"
#include "core/encoding/document_text.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

constexpr size_t kUnitByUnitBytes = 512;
constexpr size_t kCodePoints = 128;

std::string EncodeAll(std::u32string_view text, Encoding target,
                      EncodeCounts& counts) {
  std::string out;
  Encode(text, target, out, counts);
  return out;
}

FUZZ_REFERENCE char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

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

void CheckBytes(std::string_view bytes, Encoding encoding) {
  const DecodedText decoded = Decode(bytes, encoding);
  size_t placeholders = 0;
  for (char32_t c : decoded.text) {
    placeholders += IsPlaceholder(c);
    FUZZ_CHECK(
        IsPlaceholder(c) || (c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)),
        "decoded a surrogate or no code point");
  }
  FUZZ_CHECK(placeholders == decoded.invalid_units,
             "invalid units counted and placeholders differ");

  // The units decoded one at a time make the same text (over the first few
  // hundred bytes, for speed).
  const std::string_view mark = ByteOrderMark(encoding);
  std::vector<char> boundary(bytes.size() + 1, false);
  std::u32string by_units;
  bool all_units = true;
  for (size_t pos = 0, length; pos < bytes.size(); pos += length) {
    boundary[pos] = true;
    length = UnitLengthIn(bytes, pos, encoding);
    FUZZ_CHECK(length >= 1 && length <= 4 && pos + length <= bytes.size(),
               "a unit length out of range");
    if (pos >= kUnitByUnitBytes) {
      all_units = false;
      continue;
    }
    const std::string_view unit = bytes.substr(pos, length);
    if (pos > 0 && !mark.empty() && unit == mark) {
      by_units += U'\uFEFF';  // Only a leading mark is taken away.
    } else {
      by_units += Decode(unit, encoding).text;
    }
  }
  boundary[bytes.size()] = true;
  FUZZ_CHECK(decoded.text.compare(0, by_units.size(), by_units) == 0 &&
                 (!all_units || by_units.size() == decoded.text.size()),
             "the units decoded one by one differ from the text");

  // Encoding gives each placeholder its bytes back; the result is stable.
  EncodeCounts counts;
  std::string once(decoded.byte_order_mark ? mark : std::string_view());
  Encode(decoded.text, encoding, once, counts);
  FUZZ_CHECK(counts.invalid_units == decoded.invalid_units,
             "placeholders written and decoded differ");
  FUZZ_CHECK(encoding != Encoding::kUtf8 || once == bytes,
             "UTF-8 does not come back byte for byte");
  // References are ASCII and decode as such; without them, the units stay.
  if (counts.references != 0) return;
  const DecodedText again = Decode(once, encoding);
  EncodeCounts twice_counts;
  std::string twice(again.byte_order_mark ? mark : std::string_view());
  Encode(again.text, encoding, twice, twice_counts);
  FUZZ_CHECK(twice == once, "a second round trip changed the bytes");

  // Searches for ASCII match exactly on unit boundaries.
  std::string own;
  for (size_t i = bytes.size(); i > 0 && own.size() < 3; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x80) own += bytes[i - 1];
  }
  const std::string_view needles[] = {"big5", "<meta", ">", own};
  size_t from = bytes.empty() ? 0 : bytes[0] % (bytes.size() + 1);
  while (!boundary[from]) ++from;
  for (std::string_view needle : needles) {
    for (bool ignore_case : {false, true}) {
      FUZZ_CHECK(FindAscii(bytes, encoding, needle, from, ignore_case) ==
                     PlainFind(bytes, boundary, needle, from, ignore_case),
                 "FindAscii disagrees with a plain search over unit "
                 "boundaries");
    }
  }
}

// A code point written as a code decodes back to itself, but for the
// private-use ones GB18030 writes with codes GB18030-2022 gave to others.
void CheckCodePoint(char32_t cp, Encoding target) {
  EncodeCounts counts;
  const std::string bytes = EncodeAll(std::u32string(1, cp), target, counts);
  if (counts.references != 0) {
    FUZZ_CHECK(bytes == "&#" + std::to_string(cp) + ";",
               "a reference does not name its code point");
    return;
  }
  // U+FEFF is written as the byte-order mark, which a decoder takes away.
  if (cp == 0xFEFF) return;
  const DecodedText back = Decode(bytes, target);
  if (target == Encoding::kGb18030 &&
      EncodeCodePoint(Encoding::kGbk, cp) == 0 &&
      EncodeCodePoint(Encoding::kGb18030, cp) != 0)
    return;
  FUZZ_CHECK(back.text == std::u32string(1, cp) && back.invalid_units == 0,
             "an encoded character does not decode back to itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (Encoding encoding : kAllEncodings) CheckBytes(bytes, encoding);

  DetectEncoding(bytes);

  // The input as code points, three bytes each.
  for (size_t i = 0; i + 2 < size && i < 3 * kCodePoints; i += 3) {
    const char32_t cp =
        (data[i] << 16 | data[i + 1] << 8 | data[i + 2]) % 0x110000;
    for (Encoding target : kAllEncodings) CheckCodePoint(cp, target);
  }
  return 0;
}
