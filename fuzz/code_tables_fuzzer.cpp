// Big5 and GBK decoding and encoding: every code the encoders write decodes
// back to its character, any 16-bit value is safe to decode, and Unicode text
// written with AppendEncoded reads back as the same characters, with a
// reference for each character that has no code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/run_conversion.h"
#include "core/encoding/code_tables.h"
#include "core/encoding/document_text.h"
#include "core/encoding/utf8.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

constexpr Encoding kEncodings[] = {Encoding::kBig5, Encoding::kGbk};

bool IsDoubleByteCode(Unit code) {
  return IsLeadByte(code >> 8) && IsTrailByte(code & 0xFF);
}

void CheckDecodeThenEncode(Encoding encoding, Unit unit) {
  char32_t cps[2] = {0xDEAD, 0xDEAD};
  const int count = DecodeUnit(encoding, unit, cps);
  FUZZ_CHECK(count >= 0 && count <= 2, "DecodeUnit count out of range");
  if (count > 0) {
    FUZZ_CHECK(IsDoubleByteCode(unit), "a value that is no pair decodes");
  }
  if (count != 1) return;
  FUZZ_CHECK(cps[0] >= 0x80 && cps[0] <= 0x10FFFF &&
                 !(cps[0] >= 0xD800 && cps[0] <= 0xDFFF),
             "a code decodes to ASCII or to no character");
  const Unit code = EncodeCodePoint(encoding, cps[0]);
  if (code == 0) return;  // Codes that the encoder never writes.
  char32_t back[2];
  FUZZ_CHECK(DecodeUnit(encoding, code, back) == 1 && back[0] == cps[0],
             "encode(decode(x)) does not decode to the same character");
}

void CheckEncode(Encoding encoding, char32_t cp) {
  const Unit code = EncodeCodePoint(encoding, cp);
  if (code == 0) return;
  FUZZ_CHECK(cp >= 0x80, "an ASCII character gets a double-byte code");
  FUZZ_CHECK(IsDoubleByteCode(code), "an encoded code is no valid pair");
  char32_t back[2];
  FUZZ_CHECK(DecodeUnit(encoding, code, back) == 1 && back[0] == cp,
             "an encoded code does not decode to its character");
}

// Reads units written by AppendEncoded back as code points, turning each
// "&#N;" into N.
FUZZ_REFERENCE std::vector<char32_t> ReadBack(std::string_view text,
                                              Encoding encoding,
                                              size_t& references) {
  std::vector<char32_t> cps;
  for (size_t pos = 0; pos < text.size();) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b == '&') {
      FUZZ_CHECK(pos + 1 < text.size() && text[pos + 1] == '#',
                 "a lone '&' in the output");
      uint32_t n = 0;
      pos += 2;
      size_t digits = 0;
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' &&
             digits < 8) {
        n = n * 10 + static_cast<uint32_t>(text[pos++] - '0');
        ++digits;
      }
      FUZZ_CHECK(digits > 0 && pos < text.size() && text[pos] == ';',
                 "a malformed reference in the output");
      ++pos;
      ++references;
      cps.push_back(n);
    } else if (b < 0x80) {
      cps.push_back(b);
      ++pos;
    } else {
      FUZZ_CHECK(UnitLength(text, pos) == 2,
                 "AppendEncoded wrote a byte that is no unit of its own");
      const auto code = static_cast<Unit>(
          (b << 8) | static_cast<unsigned char>(text[pos + 1]));
      char32_t decoded[2];
      FUZZ_CHECK(DecodeUnit(encoding, code, decoded) == 1,
                 "AppendEncoded wrote a code that does not decode to one "
                 "character");
      cps.push_back(decoded[0]);
      pos += 2;
    }
  }
  return cps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input as 16-bit values to decode.
  for (size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<Unit>((data[i] << 8) | data[i + 1]);
    for (Encoding e : kEncodings) CheckDecodeThenEncode(e, unit);
  }

  // The input as code points (three bytes each) to encode; '&' is left out so
  // that every "&#" in the output is a reference.
  std::vector<char32_t> cps;
  std::string utf8;
  for (size_t i = 0; i + 2 < size; i += 3) {
    char32_t cp =
        ((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]) % 0x110000;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp -= 0x800;
    if (cp == '&') cp = '#';
    for (Encoding e : kEncodings) CheckEncode(e, cp);
    cps.push_back(cp);
    AppendUtf8(cp, utf8);
  }
  for (Encoding e : kEncodings) {
    std::string out = "<";
    size_t references = 0;
    AppendEncoded(utf8, e, out, references);
    FUZZ_CHECK(out.rfind('<', 0) == 0, "AppendEncoded changed what was there");
    size_t read_references = 0;
    const std::vector<char32_t> back =
        ReadBack(std::string_view(out).substr(1), e, read_references);
    FUZZ_CHECK(back == cps, "encoded text does not read back the same");
    FUZZ_CHECK(references == read_references,
               "references counted and written differ");
  }

  // The raw input as (mostly malformed) UTF-8: whatever it holds, the output
  // is made of ASCII, references and valid codes only.
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  for (Encoding e : kEncodings) {
    std::string out;
    size_t references = 0;
    AppendEncoded(raw, e, out, references);
    for (size_t pos = 0; pos < out.size();) {
      const auto b = static_cast<unsigned char>(out[pos]);
      if (b < 0x80) {
        ++pos;
        continue;
      }
      FUZZ_CHECK(UnitLength(out, pos) == 2,
                 "malformed UTF-8 produced a byte that is no unit of its own");
      char32_t decoded[2];
      FUZZ_CHECK(
          DecodeUnit(e,
                     static_cast<Unit>(
                         (b << 8) | static_cast<unsigned char>(out[pos + 1])),
                     decoded) == 1,
          "malformed UTF-8 produced an invalid code");
      pos += 2;
    }
  }
  return 0;
}
