// Decoding and encoding Big5, GBK, GB18030 and UTF-8: the whole tables
// against reference files, and what happens to bytes and characters that
// have no place in an encoding.

#include "core/encoding/codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "core/encoding/document_text.h"
#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

constexpr Encoding kBig5 = Encoding::kBig5, kGbk = Encoding::kGbk,
                   kGb = Encoding::kGb18030, kUtf8 = Encoding::kUtf8;
using testing::ReadTestFile;
using testing::Utf8;

std::string EncodeAll(std::u32string_view text, Encoding target,
                      EncodeCounts& counts) {
  std::string out;
  Encode(text, target, out, counts);
  return out;
}

// In UTF-8, U+FFFD for each placeholder; like_the_web repeats the ASCII trail
// byte of an invalid pair, which WHATWG decoders read again.
std::string Shown(std::u32string_view text, Encoding encoding,
                  bool like_the_web = false) {
  std::u32string shown;
  for (const char32_t c : text) {
    shown += IsPlaceholder(c) ? U'\uFFFD' : c;
    if (!like_the_web || !IsPlaceholder(c)) continue;
    EncodeCounts counts;
    const std::string own = EncodeAll(std::u32string(1, c), encoding, counts);
    if (own.size() == 2 && static_cast<unsigned char>(own[1]) < 0x80)
      shown += static_cast<char32_t>(own[1]);
  }
  return Utf8(shown);
}

TEST(CodecTest, WholeTablesMatchTheEncodingRsReferenceFiles) {
  for (const auto& [files, encoding] :
       {std::pair{"big5", kBig5}, std::pair{"gb18030", kGbk},
        std::pair{"gb18030", kGb}}) {
    const std::string prefix = std::string("reference/") + files;
    EXPECT_EQ(Shown(Decode(ReadTestFile(prefix + "_in.txt"), encoding).text,
                    encoding, /*like_the_web=*/true),
              ReadTestFile(prefix + "_in_ref.txt"))
        << DisplayName(encoding);
    const DecodedText text = Decode(ReadTestFile(prefix + "_out.txt"), kUtf8);
    EncodeCounts counts;
    std::string expected = ReadTestFile(prefix + "_out_ref.txt");
    // GBK writes the euro sign as one byte, as the web's GBK encoder does.
    if (encoding == kGbk) {
      const size_t euro = expected.find("\n\xA2\xE3\n");
      ASSERT_NE(euro, std::string::npos);
      expected.replace(euro + 1, 2, "\x80");
    }
    EXPECT_EQ(EncodeAll(text.text, encoding, counts), expected)
        << DisplayName(encoding);
    EXPECT_EQ(counts.references + text.invalid_units, 0u);
  }
}

TEST(CodecTest, KeepsEachInvalidUnitAndStripsOnlyItsOwnByteOrderMark) {
  const struct {
    std::string bytes;
    Encoding encoding;
    std::u32string text;  // U+FFFD marks a placeholder.
    bool mark = false;
  } cases[] = {
      {"a\xA4", kBig5, U"a\uFFFD"},
      {"\x80\x80", kBig5, U"\uFFFD\uFFFD"},
      {"\x80", kGbk, U"€"},
      {"\x81\x30\x81\x30", kGbk, U"\uFFFD0\uFFFD0"},
      {"\x81\x30\x81\x30", kGb, U"\u0080"},
      {"\x81\x30\x81", kGb, U"\uFFFD0\uFFFD"},
      {"\x84\x31\xA4\x39\x84\x31\xA5\x30", kGb, U"\uFFFF\uFFFD"},
      {"\x90\x30\x81\x30\xE3\x32\x9A\x36", kGb, U"\U00010000\uFFFD"},
      {"\xE4\xB8", kUtf8, U"\uFFFD\uFFFD"},
      // Overlong, a surrogate, above U+10FFFF: each byte a unit.
      {"\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80", kUtf8,
       U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xEF\xBB\xBFx", kUtf8, U"x", true},
      {"x\xEF\xBB\xBF", kUtf8, U"x\uFEFF"},
      {"\x84\x31\x95\x33x", kGb, U"x", true},
      {"\x84\x31\x95\x33", kUtf8, U"\uFFFD1\uFFFD3"},
      {"\xEF\xBB\xBF", kGbk, U"\u9518\uFFFD"},
  };
  for (const auto& c : cases) {
    const DecodedText decoded = Decode(c.bytes, c.encoding);
    EXPECT_EQ(Shown(decoded.text, c.encoding), Utf8(c.text));
    EXPECT_EQ(decoded.byte_order_mark, c.mark) << Utf8(c.text);
    const auto placeholders = static_cast<size_t>(
        std::count_if(decoded.text.begin(), decoded.text.end(), IsPlaceholder));
    EXPECT_EQ(decoded.invalid_units, placeholders) << Utf8(c.text);
    // Whatever the target, a placeholder writes back its own bytes.
    for (Encoding target : kAllEncodings) {
      EncodeCounts counts;
      std::string back(c.mark ? ByteOrderMark(target) : "");
      Encode(decoded.text, target, back, counts);
      EXPECT_EQ(counts.invalid_units, placeholders) << Utf8(c.text);
      EXPECT_TRUE(target != c.encoding || back == c.bytes) << Utf8(c.text);
    }
  }
}

TEST(CodecTest, WritesWhatTheTargetLacksAsAReference) {
  const std::tuple<char32_t, Encoding, std::string> cases[] = {
      {U'丂', kBig5, "&#19970;"},
      {0x20000, kBig5, "&#131072;"},
      {0xE5E5, kGb, "&#58853;"},
      {0xE7C7, kGb, "\x81\x35\xF4\x37"},
      // GB18030-2022 moved this off A6D9; its encoder keeps it.
      {0xE78D, kGb, "\xA6\xD9"},
      {0xE78D, kGbk, "&#59277;"},
      {0xD800, kUtf8, "&#55296;"},
      {0xDFFF, kGb, "&#57343;"},
      {0x10FFFF, kUtf8, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& [cp, target, bytes] : cases) {
    EncodeCounts counts;
    EXPECT_EQ(EncodeAll(std::u32string(1, cp), target, counts), bytes)
        << std::hex << static_cast<uint32_t>(cp);
    EXPECT_EQ(counts.references, bytes[0] == '&' ? 1u : 0u) << bytes;
  }
}

// Big5 codes that Windows' code page 950 lacks are written where a character
// has no other, and counted; ETEN's box drawing and seven hanzi it reads.
TEST(CodecTest, CountsTheBig5CodesCodePage950Lacks) {
  const std::tuple<char32_t, std::string, size_t> cases[] = {
      {U'啓', "\xFB\xA3", 1},   {U'啟', "\xB1\xD2", 0}, {U'ド', "\xC7\xC5", 1},
      {0x200CC, "\xC8\x7A", 1}, {U'€', "\xA3\xE1", 0},  {U'碁', "\xF9\xD6", 0},
      {U'╔', "\xF9\xDD", 0},
  };
  for (const auto& [cp, bytes, beyond] : cases) {
    EncodeCounts counts;
    EXPECT_EQ(EncodeAll(std::u32string(1, cp), kBig5, counts), bytes)
        << std::hex << static_cast<uint32_t>(cp);
    EXPECT_EQ(counts.beyond_cp950, beyond) << bytes;
  }
}

// An ASCII needle is found only where it stands as characters, never in a
// multi-byte one: a GB18030 four-byte sequence holds digits, a Big5 code
// '\\'; a needle that begins with '<' is found a memchr at a time.
TEST(CodecTest, FindAsciiMatchesOnlyWholeCharacters) {
  const std::string_view gb18030 =
      "\x81\x30\x81\x30"
      "0";
  EXPECT_EQ(FindAscii(gb18030, kGb, "0", 0, false), 4u);
  EXPECT_EQ(FindAscii("\xA4\x5C\\", kBig5, "\\", 0, false), 2u);
  const std::string_view page = "\xA4\x5C<p><SCRIPT src=a>";
  EXPECT_EQ(FindAscii(page, kBig5, "<script", 0, true), 5u);
  EXPECT_EQ(FindAscii(page, kBig5, "<script", 6, true), std::string_view::npos);
  EXPECT_EQ(FindAscii(page, kBig5, "<script", 0, false),
            std::string_view::npos);
}

}  // namespace
}  // namespace tovenrak::core
