#include "core/encoding/code_tables.h"

#include <algorithm>
#include <iterator>

namespace tovenrak::core {

namespace {
#include "code_tables_data.inc"

int DecodeBig5(Unit unit, char32_t out[2]) {
  const unsigned lead = unit >> 8, trail = unit & 0xFF;
  if (lead < 0x81 || lead > 0xFE) return 0;
  unsigned offset;
  if (trail >= 0x40 && trail <= 0x7E) {
    offset = 0x40;
  } else if (trail >= 0xA1 && trail <= 0xFE) {
    offset = 0x62;
  } else {
    return 0;
  }
  const unsigned pointer = (lead - 0x81) * 157 + (trail - offset);
  // These four codes decode to a letter followed by a combining mark.
  switch (pointer) {
    case 1133:
      out[0] = 0x00CA;
      out[1] = 0x0304;
      return 2;
    case 1135:
      out[0] = 0x00CA;
      out[1] = 0x030C;
      return 2;
    case 1164:
      out[0] = 0x00EA;
      out[1] = 0x0304;
      return 2;
    case 1166:
      out[0] = 0x00EA;
      out[1] = 0x030C;
      return 2;
  }
  out[0] = kBig5Decode[pointer];
  return out[0] != 0 ? 1 : 0;
}

int DecodeGbk(Unit unit, char32_t out[2]) {
  const unsigned lead = unit >> 8, trail = unit & 0xFF;
  if (lead < 0x81 || lead > 0xFE ||
      !IsTrailByte(static_cast<unsigned char>(trail)))
    return 0;
  const unsigned pointer =
      (lead - 0x81) * 190 + (trail - (trail < 0x7F ? 0x40 : 0x41));
  out[0] = kGbkDecode[pointer];
  return out[0] != 0 ? 1 : 0;
}

Unit EncodeBig5Astral(char32_t cp) {
  const auto* end = std::end(kBig5EncodeAstralCodePoints);
  const auto* it =
      std::lower_bound(std::begin(kBig5EncodeAstralCodePoints), end, cp);
  if (it == end || *it != cp) return 0;
  return kBig5EncodeAstralCodes[it - std::begin(kBig5EncodeAstralCodePoints)];
}

}  // namespace

int DecodeUnit(Encoding encoding, Unit unit, char32_t out[2]) {
  return encoding == Encoding::kBig5 ? DecodeBig5(unit, out)
                                     : DecodeGbk(unit, out);
}

Unit EncodeCodePoint(Encoding encoding, char32_t cp) {
  if (cp <= 0xFFFF)
    return encoding == Encoding::kBig5 ? kBig5Encode[cp] : kGbkEncode[cp];
  return encoding == Encoding::kBig5 ? EncodeBig5Astral(cp) : 0;
}

}  // namespace tovenrak::core
