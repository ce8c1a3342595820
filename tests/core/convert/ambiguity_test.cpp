// Ambiguity points: which places are reported, with OpenCC's own data, and
// where they are in the document whatever its encoding and form.

#include <gtest/gtest.h>

#include "core/convert/fast_converter.h"
#include "core/convert_document.h"
#include "core/encoding/codec.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::Bytes;
using testing::U32;

// "LINE:COLUMN: X -> Y (A B)" for each point, one per line.
std::string Listing(const std::vector<AmbiguityPoint>& points) {
  std::string out;
  for (const AmbiguityPoint& p : points)
    out += std::to_string(p.line) + ":" + std::to_string(p.column) + ": " +
           DescribePoint(p) + "\n";
  return out;
}

TEST(AmbiguityTest, ReportsOpenccMissesWithEveryCandidate) {
  const auto converter = MakeFastConverter();
  constexpr ScriptConversion kS2t{Script::kTraditional, Variant::kStd},
      kS2tw{Script::kTraditional, Variant::kTw},
      kS2twp{Script::kTraditional, Variant::kTwp},
      kTw2sp{Script::kSimplified, Variant::kTwp};
  const struct {
    const char* text;
    ScriptConversion how;
    const char* expected;  // "INDEX: X -> Y (...)" per point.
  } cases[] = {
      // Decided by a phrase that another phrase overlaps: 去干|扰, 干扰.
      {"去干扰", kS2t, "1: 干 -> 幹 (幹 乾 干)\n"},
      {"被发明", kS2t, "1: 发 -> 髮 (發 髮)\n"},
      {"前头发生", kS2t, "2: 发 -> 髮 (發 髮)\n"},
      // A phrase that nothing overlaps is trusted, and so is one that only
      // its own words overlap (制台 in 控制台).
      {"头发", kS2t, ""},
      {"控制台", kS2t, ""},
      // Decided by the character table alone.
      {"后", kS2t, "0: 后 -> 後 (後 后)\n"},
      // ...unless the Taiwan forms make its candidates one (核, 覈).
      {"核", kS2tw, ""},
      // A phrase with the usual reading that nothing overlaps.
      {"以后", kS2t, ""},
      // A phrase the dictionary gives several outputs.
      {"衣服都干了", kS2t, "3: 干 -> 幹 (幹 乾)\n"},
      // A Taiwan phrase writes over a doubtful character (剪貼板 gives
      // 剪貼簿, 方便麵 泡麵), or puts its word in the place of another
      // (線上 gives 在線): nothing is left to choose.
      {"复制到剪贴板", kS2twp, ""},
      {"方便面", kS2twp, ""},
      {"線上", kTw2sp, ""},
  };
  for (const auto& c : cases) {
    std::vector<AmbiguityPoint> points;
    ASSERT_TRUE(converter->FindAmbiguities(U32(c.text), c.how, points));
    std::string got;
    for (const AmbiguityPoint& p : points)
      got += std::to_string(p.index) + ": " + DescribePoint(p) + "\n";
    EXPECT_EQ(got, c.expected) << c.text;
  }
}

TEST(AmbiguityTest, PointsAreLocatedInTheDecodedDocument) {
  constexpr const char* kSimplified = "第一行\n去干扰\r\n被发明";
  ConversionRequest automatic;
  automatic.find_ambiguities = true;
  ConversionRequest to_traditional = automatic;
  to_traditional.script = ScriptChoice::kTraditional;
  to_traditional.markup = MarkupMode::kText;
  to_traditional.find_ambiguities = true;
  ConversionRequest utf8 = to_traditional;
  utf8.to = Encoding::kUtf8;
  ConversionRequest html = utf8;
  html.markup = MarkupMode::kHtml;
  ConversionRequest html_big5 = automatic;
  html_big5.markup = MarkupMode::kHtml;
  const struct {
    const char* name;
    std::string bytes;
    ConversionRequest request;
    const char* expected;
  } cases[] = {
      {"UTF-8", kSimplified, utf8,
       "2:2: 干 -> 幹 (幹 乾 干)\n3:2: 发 -> 髮 (發 髮)\n"},
      {"GBK", Bytes(kSimplified, Encoding::kGbk), to_traditional,
       "2:2: 干 -> 幹 (幹 乾 干)\n3:2: 发 -> 髮 (發 髮)\n"},
      {"Big5", Bytes("甲\n只乾", Encoding::kBig5), automatic,
       "2:2: 乾 -> 干 (干 乾)\n"},
      // Going to GB, 開 -> 开 and 戰 -> 战 are no choice: their other
      // candidates, 𫔭 and 𢧐, are not in GB. 線 -> 线 keeps 缐, which it has.
      {"candidates GB lacks", Bytes("開戰線", Encoding::kBig5), automatic,
       "1:3: 線 -> 线 (线 缐)\n"},
      // A reference counts as the characters it is written with; the
      // characters after it keep their places.
      {"references", "<p>去&#24178;扰\n头发生 &#x53BB;干扰</p>", html,
       "1:5: 干 -> 幹 (幹 乾 干)\n2:2: 发 -> 髮 (發 髮)\n2:13: 干 -> 幹 (幹 乾 "
       "干)\n"},
      // Only the text people read has points: a comment, converted too, is
      // read by nobody.
      {"markup", "<a title=\"后\" href=\"后\"><!-- 后 -->后</a>", html,
       "1:11: 后 -> 後 (後 后)\n1:33: 后 -> 後 (後 后)\n"},
      // A Big5 code of a letter and a mark counts as two characters, in
      // another text of the line and in a line before.
      {"Big5 letter and mark",
       Bytes("<p>", Encoding::kBig5) + "\x88\x62" +
           Bytes("</p><p>他乾杯</p>", Encoding::kBig5),
       html_big5, "1:14: 乾 -> 干 (干 乾)\n"},
      {"Big5 letter and mark a line before",
       Bytes("<p>", Encoding::kBig5) + "\x88\x62" +
           Bytes("\r\n他乾杯</p>", Encoding::kBig5),
       html_big5, "2:2: 乾 -> 干 (干 乾)\n"},
      // Lines end as in text: at a lone CR too.
      {"markup lines", "<p>\r后\r\n<b>后</b></p>", html,
       "2:1: 后 -> 後 (後 后)\n3:4: 后 -> 後 (後 后)\n"},
      // A comment that does not end runs to the end, as browsers read it,
      // and has no points as any comment.
      {"unended comment", "<p>后</p><!-- 后", html, "1:4: 后 -> 後 (後 后)\n"},
  };
  const auto converter = MakeFastConverter();
  for (const auto& c : cases) {
    Result<DocumentConversion> done =
        ConvertDocument(*converter, c.bytes, c.request);
    ASSERT_TRUE(done) << c.name;
    EXPECT_EQ(Listing(done->points), c.expected) << c.name;
  }
}

TEST(AmbiguityTest, ALongTextIsLookedAtLineByLineWithTheSamePoints) {
  // Over a megabyte of lines that end in LF, CR LF and a lone CR.
  std::string text;
  for (int i = 0; i < 60000; ++i) {
    text += i % 3 == 0   ? "头发生，去干扰\r\n"
            : i % 3 == 1 ? "被发明\r"
                         : "后来\n";
  }
  const std::string bytes = Bytes(text, Encoding::kGbk);
  ConversionRequest request;
  request.script = ScriptChoice::kTraditional;
  request.markup = MarkupMode::kText;
  request.find_ambiguities = true;
  const auto converter = MakeFastConverter();
  Result<DocumentConversion> done = ConvertDocument(*converter, bytes, request);
  ASSERT_TRUE(done);

  const DecodedText decoded = Decode(bytes, Encoding::kGbk);
  std::vector<AmbiguityPoint> whole;
  ASSERT_TRUE(converter->FindAmbiguities(
      decoded.text, {Script::kTraditional, Variant::kTw}, whole));
  LocatePoints(decoded.text, whole);
  EXPECT_GE(whole.size(), 60000u);
  ASSERT_EQ(done->points.size(), whole.size());
  for (size_t i = 0; i < whole.size(); ++i) {
    ASSERT_EQ(done->points[i].index, whole[i].index) << "point " << i;
    ASSERT_EQ(Listing({done->points[i]}), Listing({whole[i]})) << "point " << i;
  }
}

}  // namespace
}  // namespace tovenrak::core
