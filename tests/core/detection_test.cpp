// Which encoding a document is in, and why: each rule against the next, the
// declarations against the bytes, and a corpus of real pages and texts.

#include "core/encoding/detection.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_data.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

constexpr Encoding kBig5 = Encoding::kBig5, kGbk = Encoding::kGbk,
                   kGb18030 = Encoding::kGb18030, kUtf8 = Encoding::kUtf8;
constexpr DetectionReason kMark = DetectionReason::kByteOrderMark,
                          kDeclared = DetectionReason::kDeclaration,
                          kValidUtf8 = DetectionReason::kUtf8,
                          kStatistics = DetectionReason::kStatistics,
                          kRule = DetectionReason::kBig5Rule;
using testing::Bytes;

const std::string kSimplified =
    "我们今天去学校上课，老师说明天考试。这是一个中文网页，头发以后要干净。";
const std::string kTraditional =
    "我們今天去學校上課，老師說明天考試。這是一個中文網頁，頭髮以後要乾淨。";

std::string Repeated(const std::string& text, size_t size) {
  std::string out;
  while (out.size() < size) out += text;
  return out;
}

TEST(DetectionTest, EachRuleWinsOverTheNextAndDeclarationsOverTheBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
    DetectionReason reason;
    std::optional<Encoding> declared;
  } cases[] = {
      {"utf-8 byte-order mark over a gb declaration",
       "\xEF\xBB\xBF<meta charset=gb2312>" + kSimplified, kUtf8, kMark,
       std::nullopt},
      {"gb18030 byte-order mark",
       "\x84\x31\x95\x33" + Bytes(kSimplified, kGb18030), kGb18030, kMark,
       std::nullopt},
      // D2 BB is both GB's 一 and UTF-8's U+04BB.
      {"declaration over utf-8 validity", "<meta charset=gb2312>\xD2\xBB", kGbk,
       kDeclared, kGbk},
      {"utf-8 over statistics", "\xD2\xBB", kUtf8, kValidUtf8, std::nullopt},
      {"statistics over the big5 rule",
       "<p>big5 or gb?</p>" + Bytes(kSimplified, kGbk), kGbk, kStatistics,
       std::nullopt},
      {"big5 rule on ascii", "<p>Big5</p>", kBig5, kRule, std::nullopt},
      {"gb without a mention of big5", "<p>plain</p>", kGbk, kRule,
       std::nullopt},
      {"xml declaration",
       "<?xml version='1.0' encoding='BIG5'?>" + Bytes(kTraditional, kBig5),
       kBig5, kDeclared, kBig5},
      {"http-equiv",
       "<meta http-equiv=Content-Type content='text/html; charset=x-gbk'>" +
           Bytes(kSimplified, kGbk),
       kGbk, kDeclared, kGbk},
      {"utf-8 with a stray byte", "<meta charset=utf-8>\xFF" + kSimplified,
       kUtf8, kDeclared, kUtf8},
      {"gb with four-byte sequences",
       "<meta charset=gbk>" + Bytes(kSimplified + "€𠀀", kGb18030), kGb18030,
       kDeclared, kGbk},
      {"unknown label",
       "<meta charset=iso-8859-1>" + Bytes(kTraditional, kBig5), kBig5,
       kStatistics, std::nullopt},
      {"gb declared as utf-8",
       "<meta charset=utf-8>" + Bytes(kSimplified, kGbk), kGbk, kStatistics,
       kUtf8},
      {"utf-8 declared as gb", "<meta charset=gb2312>" + kSimplified, kUtf8,
       kValidUtf8, kGbk},
      {"gb declared as big5", "<meta charset=big5>" + Bytes(kSimplified, kGbk),
       kGbk, kStatistics, kBig5},
      {"big5 declared as gb",
       "<meta charset=gb2312>" + Bytes(kTraditional, kBig5), kBig5, kStatistics,
       kGbk},
      {"gb18030 without a declaration", Bytes(kSimplified + "𠀀", kGb18030),
       kGb18030, kStatistics, std::nullopt},
      // Detection reads a window of the text; it must not end inside a
      // character nor before the first one.
      {"long utf-8 declared as gb",
       "<meta charset=gb2312>" + Repeated(kSimplified, 1 << 20), kUtf8,
       kValidUtf8, kGbk},
      {"big5 after a long ascii head",
       Repeated("<p>ascii</p>", 1 << 20) + Bytes(kTraditional, kBig5), kBig5,
       kStatistics, std::nullopt},
  };
  for (const Case& c : cases) {
    const Detection d = DetectEncoding(c.bytes);
    EXPECT_EQ(d.encoding, c.encoding) << c.name;
    EXPECT_EQ(ReasonName(d.reason), ReasonName(c.reason)) << c.name;
    EXPECT_EQ(d.declared, c.declared) << c.name;
  }
}

TEST(DetectionTest, RefusesUtf16ByItsByteOrderMark) {
  EXPECT_TRUE(HasUtf16ByteOrderMark("\xFF\xFE<\0"));
  EXPECT_TRUE(HasUtf16ByteOrderMark("\xFE\xFF\0<"));
  EXPECT_FALSE(HasUtf16ByteOrderMark("\xEF\xBB\xBF<"));
  EXPECT_FALSE(HasUtf16ByteOrderMark("\xFF"));
}

// Real pages and text files, named for their encoding and kind.
TEST(DetectionTest, DetectsEachFileOfTheSampleCorpus) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(TOVENRAK_TEST_DATA) / "detection")) {
    const std::string name = entry.path().filename().string();
    const Detection d =
        DetectEncoding(testing::ReadTestFile("detection/" + name));
    std::string got(DeclaredName(d.encoding));
    if (d.encoding == kGbk) got = "gbk";
    if (d.encoding == kUtf8) got = "utf8";
    EXPECT_EQ(got, name.substr(0, name.find('-')))
        << name << " (" << ReasonName(d.reason) << ")";
    ++files;
  }
  EXPECT_GE(files, 10);
}

}  // namespace
}  // namespace tovenrak::core
