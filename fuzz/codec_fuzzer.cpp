// Any bytes in every encoding: each invalid unit decodes to one placeholder,
// which encodes back to its bytes; UTF-8 comes back byte for byte and a
// second round trip changes nothing. The input read as code points encodes
// to bytes that decode back, or to a reference naming the code point.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/encoding/code_tables.h"
#include "core/encoding/codec.h"
#include "core/encoding/detection.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

std::string RoundTrip(std::string_view bytes, Encoding encoding,
                      DecodedText& decoded, EncodeCounts& counts) {
  decoded = Decode(bytes, encoding);
  std::string out(decoded.byte_order_mark ? ByteOrderMark(encoding)
                                          : std::string_view());
  Encode(decoded.text, encoding, out, counts);
  return out;
}

void CheckBytes(std::string_view bytes, Encoding encoding) {
  DecodedText decoded;
  EncodeCounts counts;
  const std::string once = RoundTrip(bytes, encoding, decoded, counts);
  size_t placeholders = 0;
  for (char32_t c : decoded.text) placeholders += IsPlaceholder(c);
  FUZZ_CHECK(placeholders == decoded.invalid_units &&
                 counts.invalid_units == placeholders,
             "placeholders decoded, counted and written differ");
  FUZZ_CHECK(encoding != Encoding::kUtf8 || once == bytes,
             "UTF-8 does not come back byte for byte");
  // References are ASCII and decode as such; without them, the units stay.
  if (counts.references != 0) return;
  DecodedText again;
  EncodeCounts twice_counts;
  FUZZ_CHECK(RoundTrip(once, encoding, again, twice_counts) == once,
             "a second round trip changed the bytes");
}

// Private-use code points that GB18030 writes with codes GB18030-2022 gave
// to other characters do not decode back.
void CheckCodePoint(char32_t cp, Encoding target) {
  EncodeCounts counts;
  std::string bytes;
  Encode(std::u32string(1, cp), target, bytes, counts);
  if (counts.references != 0) {
    FUZZ_CHECK(bytes == "&#" + std::to_string(cp) + ";",
               "a reference does not name its code point");
    return;
  }
  if (cp == 0xFEFF) return;  // Written as the byte-order mark.
  if (target == Encoding::kGb18030 &&
      EncodeCodePoint(Encoding::kGbk, cp) == 0 &&
      EncodeCodePoint(Encoding::kGb18030, cp) != 0)
    return;
  const DecodedText back = Decode(bytes, target);
  FUZZ_CHECK(back.text == std::u32string(1, cp) && back.invalid_units == 0,
             "an encoded character does not decode back to itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (Encoding encoding : kAllEncodings) CheckBytes(bytes, encoding);
  DetectEncoding(bytes);
  // The input as code points, three bytes each.
  for (size_t i = 0; i + 2 < size && i < 384; i += 3) {
    const char32_t cp =
        (data[i] << 16 | data[i + 1] << 8 | data[i + 2]) % 0x110000;
    for (Encoding target : kAllEncodings) CheckCodePoint(cp, target);
  }
  return 0;
}
