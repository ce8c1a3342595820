#include "core/encoding/code_tables.h"

#include <algorithm>
#include <iterator>

namespace tovenrak::core {

namespace tables {
#include "code_tables_data.inc"
}  // namespace tables

namespace {

constexpr uint32_t kLastBmpPointer = 39419;
constexpr uint32_t kFirstAstralPointer = 189000;
constexpr uint32_t kLastAstralPointer = 1237575;
// The ranges put U+E7C7 where GB18030-2005 has U+1E3F, which it moved to
// the two-byte code A8BC; the encoder and decoder swap them back.
constexpr uint32_t kE7C7Pointer = 7457;

Unit EncodeGb18030PrivateUse(char32_t cp) {
  const auto* end = std::end(tables::kGb18030PuaCodePoints);
  const auto* it =
      std::lower_bound(std::begin(tables::kGb18030PuaCodePoints), end, cp);
  if (it == end || *it != cp) return 0;
  return tables::kGb18030PuaCodes[it -
                                  std::begin(tables::kGb18030PuaCodePoints)];
}

}  // namespace

int DecodeUnit(Encoding encoding, Unit unit, char32_t out[2]) {
  const unsigned lead = unit >> 8, trail = unit & 0xFF;
  if (!IsLeadByte(lead) || !IsTrailByte(trail)) return 0;
  switch (encoding) {
    case Encoding::kBig5:
      return DecodeBig5Pair(lead, trail, out);
    case Encoding::kGbk:
    case Encoding::kGb18030:
      out[0] = DecodeGbkPair(lead, trail);
      return out[0] != 0 ? 1 : 0;
    case Encoding::kUtf8:
      break;
  }
  return 0;
}

Unit EncodeCodePoint(Encoding encoding, char32_t cp) {
  switch (encoding) {
    case Encoding::kBig5:
      if (cp <= 0xFFFF && tables::kBig5Encode[cp] != 0)
        return tables::kBig5Encode[cp];
      return EncodeBig5BeyondCp950(cp);
    case Encoding::kGbk:
      return cp <= 0xFFFF ? tables::kGbkEncode[cp] : 0;
    case Encoding::kGb18030:
      if (cp > 0xFFFF) return 0;
      if (cp == kEuroSign) return 0xA2E3;
      return tables::kGbkEncode[cp] != 0 ? tables::kGbkEncode[cp]
                                         : EncodeGb18030PrivateUse(cp);
    case Encoding::kUtf8:
      break;
  }
  return 0;
}

Unit EncodeBig5BeyondCp950(char32_t cp) {
  const auto* end = std::end(tables::kBig5EncodeBeyondCp950CodePoints);
  const auto* it = std::lower_bound(
      std::begin(tables::kBig5EncodeBeyondCp950CodePoints), end, cp);
  if (it == end || *it != cp) return 0;
  return tables::kBig5EncodeBeyondCp950Codes
      [it - std::begin(tables::kBig5EncodeBeyondCp950CodePoints)];
}

char32_t Gb18030FourByteCodePoint(uint32_t pointer) {
  if (pointer > kLastBmpPointer) {
    if (pointer < kFirstAstralPointer || pointer > kLastAstralPointer) return 0;
    return 0x10000 + (pointer - kFirstAstralPointer);
  }
  if (pointer == kE7C7Pointer) return 0xE7C7;
  const auto* begin = std::begin(tables::kGb18030RangePointers);
  const auto* it =
      std::upper_bound(begin, std::end(tables::kGb18030RangePointers), pointer);
  const size_t range = static_cast<size_t>(it - begin) - 1;
  return tables::kGb18030RangeCodePoints[range] +
         (pointer - tables::kGb18030RangePointers[range]);
}

uint32_t Gb18030FourBytePointer(char32_t cp) {
  if (cp >= 0x10000) return kFirstAstralPointer + (cp - 0x10000);
  if (cp == 0xE7C7) return kE7C7Pointer;
  const auto* begin = std::begin(tables::kGb18030RangeCodePoints);
  const auto* it =
      std::upper_bound(begin, std::end(tables::kGb18030RangeCodePoints), cp);
  const size_t range = static_cast<size_t>(it - begin) - 1;
  return tables::kGb18030RangePointers[range] +
         (cp - tables::kGb18030RangeCodePoints[range]);
}

}  // namespace tovenrak::core
