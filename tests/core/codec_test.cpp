#include "core/encoding/codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "support/test_data.h"

namespace tovenrak::core {
namespace {

using testing::ReadTestFile;
using testing::SplitLines;

std::string EncodeAll(std::u32string_view text, Encoding target,
                      EncodeCounts* counts = nullptr) {
  std::string out;
  EncodeCounts ignored;
  Encode(text, target, out, counts != nullptr ? *counts : ignored);
  return out;
}

std::string Utf8(std::u32string_view text) {
  return EncodeAll(text, Encoding::kUtf8);
}

// The decoded text with U+FFFD for each placeholder, in UTF-8.
std::string Shown(std::u32string text) {
  for (char32_t& c : text) {
    if (IsPlaceholder(c)) c = U'\uFFFD';
  }
  return Utf8(text);
}

// Decodes as the WHATWG decoders do, with U+FFFD for each error: where our
// decoder keeps an invalid pair with an ASCII trail byte as one unit, the
// web's reads the trail byte again.
std::string DecodeLikeTheWeb(std::string_view bytes, Encoding encoding) {
  std::u32string web;
  for (const char32_t c : Decode(bytes, encoding).text) {
    if (!IsPlaceholder(c)) {
      web += c;
      continue;
    }
    web += U'\uFFFD';
    const std::string original = EncodeAll(std::u32string(1, c), encoding);
    if (original.size() == 2 && static_cast<unsigned char>(original[1]) < 0x80)
      web += static_cast<char32_t>(original[1]);
  }
  return Utf8(web);
}

TEST(CodecTest, WholeTablesMatchTheEncodingRsReferenceFiles) {
  struct Case {
    const char* files;
    Encoding encoding;
  } cases[] = {{"big5", Encoding::kBig5},
               {"gb18030", Encoding::kGbk},
               {"gb18030", Encoding::kGb18030}};
  for (const Case& c : cases) {
    const std::string prefix = std::string("reference/") + c.files;
    const std::string name = std::string(DisplayName(c.encoding));
    EXPECT_EQ(DecodeLikeTheWeb(ReadTestFile(prefix + "_in.txt"), c.encoding),
              ReadTestFile(prefix + "_in_ref.txt"))
        << name;
    EncodeCounts counts;
    const DecodedText text =
        Decode(ReadTestFile(prefix + "_out.txt"), Encoding::kUtf8);
    ASSERT_EQ(text.invalid_units, 0u) << name;
    EXPECT_EQ(EncodeAll(text.text, c.encoding, &counts),
              ReadTestFile(prefix + "_out_ref.txt"))
        << name;
    EXPECT_EQ(counts.references, 0u) << name;
  }
}

std::string FourBytes(uint32_t pointer) {
  return {static_cast<char>(0x81 + pointer / 12600),
          static_cast<char>(0x30 + pointer / 1260 % 10),
          static_cast<char>(0x81 + pointer / 10 % 126),
          static_cast<char>(0x30 + pointer % 10)};
}

// Every four-byte sequence below U+10000, read from the ranges index: a
// range runs from its pointer and code point up to the next range.
TEST(CodecTest, Gb18030FourByteSequencesFollowTheRangesIndex) {
  std::vector<std::pair<uint32_t, char32_t>> ranges;
  for (const std::string& line :
       SplitLines(ReadTestFile("../../data/index-gb18030-ranges.txt"))) {
    unsigned pointer, cp;
    if (line.empty() || line[0] == '#') continue;
    if (std::sscanf(line.c_str(), "%u 0x%x", &pointer, &cp) == 2)
      ranges.emplace_back(pointer, cp);
  }
  ASSERT_EQ(ranges.back(), std::make_pair(189000u, char32_t{0x10000}));
  std::string bytes;
  std::u32string expected;
  for (size_t i = 0; i + 1 < ranges.size(); ++i) {
    const uint32_t end = i + 2 < ranges.size() ? ranges[i + 1].first : 39420;
    for (uint32_t pointer = ranges[i].first; pointer < end; ++pointer) {
      bytes += FourBytes(pointer);
      expected += ranges[i].second + (pointer - ranges[i].first);
    }
  }
  // GB18030-2005 swapped these two: A8BC is U+1E3F in the two-byte index.
  ASSERT_EQ(expected[7457], char32_t{0x1E3F});
  expected[7457] = 0xE7C7;
  const DecodedText decoded = Decode(bytes, Encoding::kGb18030);
  EXPECT_EQ(decoded.invalid_units, 0u);
  ASSERT_EQ(decoded.text.size(), expected.size());
  for (uint32_t pointer = 0; pointer < expected.size(); ++pointer) {
    ASSERT_EQ(decoded.text[pointer], expected[pointer])
        << "pointer " << pointer;
    const std::string back =
        EncodeAll(std::u32string(1, expected[pointer]), Encoding::kGb18030);
    // Code points that GB18030-2022 gave two-byte codes keep those.
    if (back.size() == 4) {
      ASSERT_EQ(back, FourBytes(pointer)) << "pointer " << pointer;
    }
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
      {"gb18030 0x80", "\x80", Encoding::kGb18030, U"\uFFFD"},
      {"gb18030 cut after three bytes", "\x81\x30\x81", Encoding::kGb18030,
       U"\uFFFD0\uFFFD"},
      {"gb18030 last of the bmp", "\x84\x31\xA4\x39", Encoding::kGb18030,
       U"\uFFFF"},
      {"gb18030 past the bmp", "\x84\x31\xA5\x30", Encoding::kGb18030,
       U"\uFFFD"},
      {"gb18030 first astral", "\x90\x30\x81\x30", Encoding::kGb18030,
       U"\U00010000"},
      {"gb18030 last astral", "\xE3\x32\x9A\x35", Encoding::kGb18030,
       U"\U0010FFFF"},
      {"gb18030 past the last", "\xE3\x32\x9A\x36", Encoding::kGb18030,
       U"\uFFFD"},
      {"utf-8 every length", "a\xC2\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80",
       Encoding::kUtf8, U"a\u00A9\u4E2D\U0001F600"},
      {"utf-8 cut sequence", "\xE4\xB8", Encoding::kUtf8, U"\uFFFD\uFFFD"},
      {"utf-8 stray continuation", "\x80x", Encoding::kUtf8, U"\uFFFDx"},
      {"utf-8 overlong", "\xC0\xAF\xE0\x80\xAF", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"utf-8 surrogate", "\xED\xA0\x80", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD"},
      {"utf-8 above U+10FFFF", "\xF4\x90\x80\x80", Encoding::kUtf8,
       U"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"utf-8 0xff", "\xFF", Encoding::kUtf8, U"\uFFFD"},
  };
  for (const Case& c : cases) {
    const DecodedText decoded = Decode(c.bytes, c.encoding);
    EXPECT_EQ(Shown(decoded.text), Utf8(c.text)) << c.name;
    const auto placeholders = static_cast<size_t>(
        std::count_if(decoded.text.begin(), decoded.text.end(), IsPlaceholder));
    EXPECT_EQ(decoded.invalid_units, placeholders) << c.name;
    // Whatever the target, a placeholder writes back its own bytes.
    for (Encoding target : kAllEncodings) {
      EncodeCounts counts;
      const std::string back = EncodeAll(decoded.text, target, &counts);
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
      {U'€', Encoding::kGb18030, "\xA2\xE3"},
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
    EXPECT_EQ(EncodeAll(std::u32string(1, c.cp), c.target, &counts), c.bytes)
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
    EXPECT_EQ(Shown(decoded.text), Utf8(c.text)) << Utf8(c.text);
  }
}

TEST(CodecTest, RandomTextRoundTripsThroughEveryEncodingThatHoldsIt) {
  std::mt19937 rng(20261207);
  // Characters from every kind of table entry: ASCII, common hanzi in both
  // scripts, symbols, GBK-only and Big5-only characters, four-byte and
  // astral ones, and a few any code point.
  const std::u32string pool =
      U"a<>&;\n头發髮後后乾淨干钟鍾丂兀€©—…　、。「」ÊĀ\u0304\uFE10\uE000"
      U"\u00E9\u0451\u3400\u9FA6\U00020000\U0002A6D6\U0001F600";
  for (int iteration = 0; iteration < 300; ++iteration) {
    std::u32string text;
    for (size_t i = rng() % 40; i > 0; --i) {
      text += rng() % 8 != 0 ? pool[rng() % pool.size()]
                             : static_cast<char32_t>(rng() % 0xD800);
    }
    for (Encoding from : kAllEncodings) {
      EncodeCounts counts;
      const std::string source = EncodeAll(text, from, &counts);
      if (counts.references != 0) continue;
      const std::u32string decoded = Decode(source, from).text;
      ASSERT_EQ(Utf8(decoded), Utf8(text))
          << DisplayName(from) << " iteration " << iteration;
      for (Encoding to : kAllEncodings) {
        EncodeCounts to_counts;
        const std::string target = EncodeAll(decoded, to, &to_counts);
        if (to_counts.references != 0) continue;
        EXPECT_EQ(EncodeAll(Decode(target, to).text, from), source)
            << DisplayName(from) << " to " << DisplayName(to) << " iteration "
            << iteration;
      }
    }
  }
}

}  // namespace
}  // namespace tovenrak::core
