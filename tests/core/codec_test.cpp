// Decoding and encoding Big5, GBK, GB18030 and UTF-8: the whole tables
// against reference files, and what happens to bytes and characters that
// have no place in an encoding.

#include "core/encoding/codec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::ReadTestFile;
using testing::Utf8;

std::string EncodeAll(std::u32string_view text, Encoding target,
                      EncodeCounts& counts) {
  std::string out;
  Encode(text, target, out, counts);
  return out;
}

// In UTF-8 with U+FFFD for each placeholder; where our decoder keeps an
// invalid pair with an ASCII trail byte as one unit, the WHATWG decoders
// read that trail byte again.
std::string Shown(std::u32string_view text, Encoding encoding,
                  bool like_the_web = false) {
  std::u32string shown;
  for (const char32_t c : text) {
    if (!IsPlaceholder(c)) {
      shown += c;
      continue;
    }
    shown += U'\uFFFD';
    EncodeCounts counts;
    const std::string own = EncodeAll(std::u32string(1, c), encoding, counts);
    if (like_the_web && own.size() == 2 &&
        static_cast<unsigned char>(own[1]) < 0x80)
      shown += static_cast<char32_t>(own[1]);
  }
  return Utf8(shown);
}

TEST(CodecTest, WholeTablesMatchTheEncodingRsReferenceFiles) {
  for (const auto& [files, encoding] :
       {std::pair{"big5", Encoding::kBig5},
        std::pair{"gb18030", Encoding::kGbk},
        std::pair{"gb18030", Encoding::kGb18030}}) {
    const std::string prefix = std::string("reference/") + files;
    const std::string name(DisplayName(encoding));
    EXPECT_EQ(Shown(Decode(ReadTestFile(prefix + "_in.txt"), encoding).text,
                    encoding, /*like_the_web=*/true),
              ReadTestFile(prefix + "_in_ref.txt"))
        << name;
    const DecodedText text =
        Decode(ReadTestFile(prefix + "_out.txt"), Encoding::kUtf8);
    ASSERT_EQ(text.invalid_units, 0u) << name;
    EncodeCounts counts;
    EXPECT_EQ(EncodeAll(text.text, encoding, counts),
              ReadTestFile(prefix + "_out_ref.txt"))
        << name;
    EXPECT_EQ(counts.references, 0u) << name;
  }
}

TEST(CodecTest, KeepsEachInvalidUnitAsOnePlaceholder) {
  struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
    std::u32string text;  // U+FFFD marks a placeholder.
  } cases[] = {
      {"big5 lone lead at the end", "a\xA4", Encoding::kBig5, U"a\uFFFD"},
      {"big5 unmapped pair", "\xA3\xE2x", Encoding::kBig5, U"\uFFFDx"},
      {"big5 trail byte outside big5", "\xA1\x80", Encoding::kBig5, U"\uFFFD"},
      {"gbk 0x80 and 0xff", "\x80\xFF", Encoding::kGbk, U"\uFFFD\uFFFD"},
      {"gbk lead before a digit", "\x81\x30\x81\x30", Encoding::kGbk,
       U"\uFFFD0\uFFFD0"},
      {"gb18030 four bytes", "\x81\x30\x81\x30", Encoding::kGb18030, U"\u0080"},
      {"gb18030 cut after three bytes", "\x81\x30\x81", Encoding::kGb18030,
       U"\uFFFD0\uFFFD"},
      {"gb18030 last of the bmp", "\x84\x31\xA4\x39", Encoding::kGb18030,
       U"\uFFFF"},
      {"gb18030 past the bmp", "\x84\x31\xA5\x30", Encoding::kGb18030,
       U"\uFFFD"},
      {"gb18030 first astral", "\x90\x30\x81\x30", Encoding::kGb18030,
       U"\U00010000"},
      {"gb18030 past the last", "\xE3\x32\x9A\x36", Encoding::kGb18030,
       U"\uFFFD"},
      {"utf-8 cut sequence", "\xE4\xB8", Encoding::kUtf8, U"\uFFFD\uFFFD"},
      {"utf-8 overlong", "\xC0\xAF\xE0\x80\xAF", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"utf-8 surrogate", "\xED\xA0\x80", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD"},
      {"utf-8 above U+10FFFF", "\xF4\x90\x80\x80", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    const DecodedText decoded = Decode(c.bytes, c.encoding);
    EXPECT_EQ(Shown(decoded.text, c.encoding), Utf8(c.text)) << c.name;
    const auto placeholders = static_cast<size_t>(
        std::count_if(decoded.text.begin(), decoded.text.end(), IsPlaceholder));
    EXPECT_EQ(decoded.invalid_units, placeholders) << c.name;
    // Whatever the target, a placeholder writes back its own bytes.
    for (Encoding target : kAllEncodings) {
      EncodeCounts counts;
      const std::string back = EncodeAll(decoded.text, target, counts);
      EXPECT_EQ(counts.invalid_units, placeholders) << c.name;
      if (target == c.encoding) {
        EXPECT_EQ(back, c.bytes) << c.name;
      }
    }
  }
}

TEST(CodecTest, WritesWhatTheTargetLacksAsAReference) {
  struct Case {
    char32_t cp;
    Encoding target;
    std::string bytes;
  } cases[] = {
      {U'丂', Encoding::kBig5, "&#19970;"},
      {U'丂', Encoding::kGbk, "\x81\x40"},
      {U'€', Encoding::kBig5, "\xA3\xE1"},
      {U'€', Encoding::kGbk, "\xA2\xE3"},
      {0x20000, Encoding::kBig5, "&#131072;"},  // Only an HKSCS code.
      {0x20000, Encoding::kGbk, "&#131072;"},
      {0x20000, Encoding::kGb18030, "\x95\x32\x82\x36"},
      {0xE5E5, Encoding::kGb18030, "&#58853;"},
      {0xE7C7, Encoding::kGb18030, "\x81\x35\xF4\x37"},
      // GB18030-2022 moved these off A6D9 and FE59; its encoder keeps them.
      {0xE78D, Encoding::kGb18030, "\xA6\xD9"},
      {0xE81E, Encoding::kGb18030, "\xFE\x59"},
      {0xE78D, Encoding::kGbk, "&#59277;"},
      {0xD800, Encoding::kUtf8, "&#55296;"},
      {0xDFFF, Encoding::kGb18030, "&#57343;"},
      {0x10FFFF, Encoding::kUtf8, "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    EncodeCounts counts;
    EXPECT_EQ(EncodeAll(std::u32string(1, c.cp), c.target, counts), c.bytes)
        << std::hex << static_cast<uint32_t>(c.cp) << " "
        << DisplayName(c.target);
    EXPECT_EQ(counts.references, c.bytes[0] == '&' ? 1u : 0u)
        << std::hex << static_cast<uint32_t>(c.cp);
  }
}

TEST(CodecTest, StripsOnlyTheEncodingsOwnByteOrderMark) {
  struct Case {
    std::string bytes;
    Encoding encoding;
    bool mark;
    std::u32string text;
  } cases[] = {
      {"\xEF\xBB\xBFx", Encoding::kUtf8, true, U"x"},
      {"x\xEF\xBB\xBF", Encoding::kUtf8, false, U"x\uFEFF"},
      {"\x84\x31\x95\x33x", Encoding::kGb18030, true, U"x"},
      {"\x84\x31\x95\x33", Encoding::kUtf8, false, U"\uFFFD1\uFFFD3"},
      {"\xEF\xBB\xBF", Encoding::kGbk, false, U"\u9518\uFFFD"},
  };
  for (const Case& c : cases) {
    const DecodedText decoded = Decode(c.bytes, c.encoding);
    EXPECT_EQ(decoded.byte_order_mark, c.mark) << Utf8(c.text);
    EXPECT_EQ(Shown(decoded.text, c.encoding), Utf8(c.text)) << Utf8(c.text);
  }
}

}  // namespace
}  // namespace tovenrak::core
