// Big5, GBK and GB18030 codes to Unicode and back, as the web maps them: the
// table lookups under the codec and the conversion engine.

#pragma once

#include <array>
#include <cstdint>

#include "core/encoding/document_text.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

namespace tables {
// Generated from the WHATWG indexes (tools/gen_code_tables.py); 0 where a
// code or code point has no counterpart. Decode tables are indexed by
// pointer, encode tables by a code point below U+10000.
extern const char32_t kBig5Decode[126 * 157];
extern const char16_t kBig5Encode[0x10000];  // Those code page 950 reads.
extern const char16_t kGbkDecode[126 * 190];
extern const char16_t kGbkEncode[0x10000];
}  // namespace tables

// A Big5 trail byte's column among the 157 of a lead byte's row, or 0xFF
// for a byte that is no trail byte of Big5. A table rather than two range
// tests: the two ranges alternate at random in text, and a mispredicted
// branch per character made decoding Big5 three times slower than GBK.
inline constexpr auto kBig5Column = [] {
  std::array<uint8_t, 256> column{};
  for (unsigned b = 0; b < 256; ++b) {
    column[b] = b >= 0x40 && b < 0x7F   ? b - 0x40
                : b >= 0xA1 && b < 0xFF ? b - 0x62
                                        : 0xFF;
  }
  return column;
}();

// The Big5 code `lead` `trail` as one code point in out[0], or two (four codes
// stand for a letter plus a combining mark); returns how many, 0 when it is
// not a mapped code.
// REQUIRES: IsLeadByte(lead) && IsTrailByte(trail)
inline int DecodeBig5Pair(unsigned lead, unsigned trail, char32_t out[2]) {
  const unsigned column = kBig5Column[trail];
  if (column == 0xFF) return 0;
  const unsigned pointer = (lead - 0x81) * 157 + column;
  if (lead == 0x88) [[unlikely]] {
    if (pointer == 1133 || pointer == 1135 || pointer == 1164 ||
        pointer == 1166) {
      out[0] = pointer < 1164 ? 0x00CA : 0x00EA;
      out[1] = pointer == 1133 || pointer == 1164 ? 0x0304 : 0x030C;
      return 2;
    }
  }
  out[0] = tables::kBig5Decode[pointer];
  return out[0] != 0 ? 1 : 0;
}

// The GBK (and GB18030 two-byte) code `lead` `trail` as a code point; every
// such pair is mapped.
// REQUIRES: IsLeadByte(lead) && IsTrailByte(trail)
inline char32_t DecodeGbkPair(unsigned lead, unsigned trail) {
  return tables::kGbkDecode[(lead - 0x81) * 190 + trail -
                            (trail < 0x7F ? 0x40 : 0x41)];
}

// Decodes the double-byte unit `unit` of `encoding` into `out` and returns how
// many code points it wrote: 1, 2 (four Big5 codes stand for a letter plus a
// combining mark), or 0 when `unit` is not a mapped code of `encoding`.
// GB18030's double-byte codes are GBK's; UTF-8 has none.
int DecodeUnit(Encoding encoding, Unit unit, char32_t out[2]);

// The euro sign: the single byte 0x80 in GBK and GB18030 as the web reads
// them, written so in GBK (as Windows' code page 936 and iconv's GBK do)
// and as A2E3 in GB18030.
inline constexpr char32_t kEuroSign = 0x20AC;
inline constexpr char kGbkEuroByte = '\x80';

// Returns the double-byte code of `cp` in `encoding`, or 0 when it has none.
// Big5 never gets a code below A1 40 (HKSCS's own rows). GBK and GB18030 share
// their codes, except that GB18030 also writes 18 private-use code points,
// which GB18030-2022 moved to four-byte sequences, as their old double-byte
// codes, and the euro sign, which GBK writes as one byte. UTF-8 has none.
Unit EncodeCodePoint(Encoding encoding, char32_t cp);

// The Big5 code of `cp` when it is one that Windows' code page 950 does not
// read (ETEN's kana and Cyrillic from C6 A1 to C9 3F, HKSCS from FA 40), which
// is written only for a character without another; else 0. tables::kBig5Encode
// holds the other codes.
Unit EncodeBig5BeyondCp950(char32_t cp);

// The GB18030 four-byte sequence b1 b2 b3 b4 is number
// ((b1 - 0x81) * 10 + b2 - 0x30) * 1260 + (b3 - 0x81) * 10 + b4 - 0x30.
// Returns the code point of sequence `pointer`, or 0 when it has none.
char32_t Gb18030FourByteCodePoint(uint32_t pointer);

// Returns the number of the four-byte sequence of `cp`.
// REQUIRES: 0x80 <= cp <= 0x10FFFF, not a surrogate, not U+E5E5, and
// EncodeCodePoint(Encoding::kGb18030, cp) == 0.
uint32_t Gb18030FourBytePointer(char32_t cp);

}  // namespace tovenrak::core
