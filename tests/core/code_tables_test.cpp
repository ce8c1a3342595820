#include "core/encoding/code_tables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"
#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::ReadTestFile;
using testing::SplitLines;

// Index entries as (pointer, code point), read from the WHATWG index file.
std::map<unsigned, char32_t> ReadIndex(const std::string& path) {
  std::map<unsigned, char32_t> entries;
  for (const std::string& line : SplitLines(ReadTestFile(path))) {
    unsigned pointer, cp;
    if (line.empty() || line[0] == '#') continue;
    if (std::sscanf(line.c_str(), "%u 0x%x", &pointer, &cp) == 2)
      entries[pointer] = cp;
  }
  return entries;
}

Unit Big5CodeOf(unsigned pointer) {
  const unsigned trail = pointer % 157;
  return static_cast<Unit>(((pointer / 157 + 0x81) << 8) |
                           (trail + (trail < 0x3F ? 0x40 : 0x62)));
}

Unit GbkCodeOf(unsigned pointer) {
  const unsigned trail = pointer % 190;
  return static_cast<Unit>(((pointer / 190 + 0x81) << 8) |
                           (trail + (trail < 0x3F ? 0x40 : 0x41)));
}

// Decodes bytes the way the WHATWG decoders do, with U+FFFD for errors and an
// ASCII trail byte of a bad pair given back to the stream.
std::string DecodeLikeTheWeb(const std::string& bytes, Encoding encoding) {
  std::string out;
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t len = UnitLength(bytes, pos);
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (len == 1) {
      AppendUtf8(lead < 0x80 ? lead : 0xFFFD, out);
      ++pos;
      continue;
    }
    const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
    char32_t cps[2];
    const int n =
        DecodeUnit(encoding, static_cast<Unit>(lead << 8 | trail), cps);
    for (int i = 0; i < n; ++i) AppendUtf8(cps[i], out);
    if (n == 0) {
      AppendUtf8(0xFFFD, out);
      if (trail < 0x80) {
        ++pos;
        continue;
      }
    }
    pos += 2;
  }
  return out;
}

TEST(CodeTablesTest, EveryIndexEntryDecodes) {
  const auto big5 = ReadIndex("../../data/index-big5.txt");
  const auto gbk = ReadIndex("../../data/index-gb18030.txt");
  ASSERT_GT(big5.size(), 18000u);
  ASSERT_EQ(gbk.size(), 126u * 190u);
  char32_t out[2];
  for (const auto& [pointer, cp] : big5) {
    ASSERT_EQ(DecodeUnit(Encoding::kBig5, Big5CodeOf(pointer), out), 1)
        << pointer;
    EXPECT_EQ(static_cast<uint32_t>(out[0]), static_cast<uint32_t>(cp))
        << "big5 pointer " << pointer;
  }
  for (const auto& [pointer, cp] : gbk) {
    ASSERT_EQ(DecodeUnit(Encoding::kGbk, GbkCodeOf(pointer), out), 1)
        << pointer;
    EXPECT_EQ(static_cast<uint32_t>(out[0]), static_cast<uint32_t>(cp))
        << "gb18030 pointer " << pointer;
  }
}

TEST(CodeTablesTest, EncodedCodesDecodeBackToTheirCharacter) {
  for (Encoding e : {Encoding::kBig5, Encoding::kGbk}) {
    int encodable = 0;
    for (char32_t cp = 0x80; cp < 0x30000; ++cp) {
      const Unit code = EncodeCodePoint(e, cp);
      if (code == 0) continue;
      ++encodable;
      char32_t out[2];
      ASSERT_EQ(DecodeUnit(e, code, out), 1)
          << std::hex << static_cast<uint32_t>(cp);
      EXPECT_EQ(static_cast<uint32_t>(out[0]), static_cast<uint32_t>(cp))
          << std::hex << "U+" << static_cast<uint32_t>(cp);
    }
    EXPECT_GT(encodable, 13000) << (e == Encoding::kBig5 ? "big5" : "gbk");
  }
}

TEST(CodeTablesTest, Big5EncoderWritesNoHkscsCodesAndPrefersTheWebsChoice) {
  for (char32_t cp = 0x80; cp < 0x30000; ++cp) {
    const Unit code = EncodeCodePoint(Encoding::kBig5, cp);
    if (code != 0) {
      ASSERT_GE(code >> 8, 0xA1) << std::hex << static_cast<uint32_t>(cp);
    }
  }
  // Characters with two codes get the last code for these six, else the first.
  std::map<char32_t, std::vector<unsigned>> pointers;
  for (const auto& [pointer, cp] : ReadIndex("../../data/index-big5.txt")) {
    if (pointer >= (0xA1 - 0x81) * 157) pointers[cp].push_back(pointer);
  }
  for (char32_t cp : {0x2550, 0x255E, 0x2561, 0x256A, 0x5341, 0x5345}) {
    ASSERT_EQ(pointers[cp].size(), 2u) << std::hex << static_cast<uint32_t>(cp);
    EXPECT_EQ(EncodeCodePoint(Encoding::kBig5, cp),
              Big5CodeOf(pointers[cp].back()));
  }
  EXPECT_EQ(
      EncodeCodePoint(Encoding::kBig5, 0x5344),
      Big5CodeOf(pointers[0x5344].front()));  // 卄, also twice in the table
  EXPECT_EQ(EncodeCodePoint(Encoding::kBig5, 0x4E00), 0xA440);  // 一
  EXPECT_EQ(EncodeCodePoint(Encoding::kGbk, 0x4E00), 0xD2BB);
  EXPECT_EQ(EncodeCodePoint(Encoding::kGbk, 0x20AC),
            0xA2E3);  // € as a pair, never 0x80
  EXPECT_EQ(EncodeCodePoint(Encoding::kGbk, 0xE5E5), 0);
}

TEST(CodeTablesTest, SpecialBig5CodesDecodeToTwoCodePoints) {
  char32_t out[2];
  ASSERT_EQ(DecodeUnit(Encoding::kBig5, 0x8862, out), 2);
  EXPECT_EQ(static_cast<uint32_t>(out[0]), 0x00CAu);
  EXPECT_EQ(static_cast<uint32_t>(out[1]), 0x0304u);
}

TEST(CodeTablesTest, InvalidPairsDoNotDecode) {
  char32_t out[2];
  EXPECT_EQ(DecodeUnit(Encoding::kBig5, 0xA180, out),
            0);  // trail outside Big5's ranges
  EXPECT_EQ(DecodeUnit(Encoding::kBig5, 0xA1A0, out), 0);
  EXPECT_EQ(DecodeUnit(Encoding::kBig5, 0x8140, out), 0);  // unmapped
  EXPECT_EQ(DecodeUnit(Encoding::kGbk, 0x817F, out), 0);
  EXPECT_EQ(DecodeUnit(Encoding::kGbk, 0x8140, out), 1);  // first code
  EXPECT_EQ(DecodeUnit(Encoding::kGbk, 0xFEFE, out), 1);  // last code
}

// The encoding_rs reference files cover every code of each table.
TEST(CodeTablesTest, MatchesEncodingRsReferenceFiles) {
  struct Case {
    const char* name;
    Encoding encoding;
  } cases[] = {{"big5", Encoding::kBig5}, {"gb18030", Encoding::kGbk}};
  for (const Case& c : cases) {
    const std::string prefix = std::string("reference/") + c.name;
    EXPECT_EQ(DecodeLikeTheWeb(ReadTestFile(prefix + "_in.txt"), c.encoding),
              ReadTestFile(prefix + "_in_ref.txt"))
        << c.name;
    std::string encoded;
    EncodeCounts counts;
    Encode(testing::U32(ReadTestFile(prefix + "_out.txt")), c.encoding, encoded,
           counts);
    EXPECT_EQ(encoded, ReadTestFile(prefix + "_out_ref.txt")) << c.name;
    EXPECT_EQ(counts.references, 0u) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::core
