// A document cut into parts and converted on several threads gives what
// converting it whole gives, byte for byte.

#include "core/recode_in_parts.h"

#include <gtest/gtest.h>

#include "core/convert/fast_converter.h"
#include "core/markup/convert_markup.h"
#include "core/recode_document.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::Bytes;

constexpr ScriptConversion kToTw{Script::kTraditional, Variant::kTw};

// Phrases across inline tags, a lang to follow, a script whose text looks
// like tags, comments, references, a read attribute, line breaks of every
// kind and a byte-order mark inside a line (a character there).
constexpr char kPage[] =
    "<html lang=zh-CN><head><title>头<i>发</i> 后台</title></head>\r\n"
    "<body><p>头<b>发</b>很长，<a href=\"头发/后台.htm\">后台</a></p>\n"
    "<script>if (a<b) s = '<p>头发</p>';</script>\r"
    "<!-- 头发 --><div title=\"头发\">理&#21457;<i>后</i>台</div>\n"
    "\xEF\xBB\xBF"
    "一个\n<P>干<SPAN>燥</SPAN>的<br>\n";

class RecodeInPartsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { converter_ = MakeFastConverter().release(); }
  static void TearDownTestSuite() { delete converter_; }

  // Converted whole and in parts of every few bytes, on one and on three
  // threads, the page gives the same bytes and counts.
  static void ExpectSame(const std::string& bytes, Encoding source,
                         bool markup) {
    const Encoding target =
        source == Encoding::kUtf8 ? Encoding::kUtf8 : Encoding::kBig5;
    std::string whole;
    EncodeCounts whole_counts;
    if (markup) {
      ASSERT_TRUE(RecodeMarkup(*converter_, bytes, source, target, kToTw, whole,
                               whole_counts));
    } else {
      Result<Conversion> done =
          converter_->Recode(bytes, source, target, kToTw, {});
      ASSERT_TRUE(done);
      whole = done->text;
      whole_counts = {done->references, done->invalid_units};
    }
    // Markup is cut as one reader finds the cuts, and as two find them.
    for (const auto& [part, readers] :
         {std::pair{1, 1u}, {9, 1u}, {9, 2u}, {200, 1u}, {200, 2u}}) {
      std::vector<size_t> cuts;
      if (markup) {
        std::optional<std::vector<size_t>> found =
            MarkupCuts(bytes, source, part, readers);
        ASSERT_TRUE(found);
        cuts = *found;
      } else if (readers == 1) {
        cuts = TextCuts(bytes, source, part);
      } else {
        continue;
      }
      EXPECT_FALSE(cuts.empty());
      for (const unsigned threads : {1u, 3u}) {
        std::string out = "[";
        EncodeCounts counts;
        size_t told = 0;
        const Status done =
            RecodeInParts(*converter_, bytes, cuts, markup, source, target,
                          kToTw, threads, out, counts, [&](size_t end) {
                            EXPECT_GE(end, told);
                            told = end;
                          });
        ASSERT_TRUE(done) << done.error().reason << " in "
                          << DisplayName(source)
                          << (markup ? " markup" : " text") << ", parts of "
                          << part;
        EXPECT_EQ(out, "[" + whole)
            << DisplayName(source) << (markup ? " markup" : " text")
            << ", parts of " << part << ", " << threads << " threads";
        EXPECT_EQ(counts.references, whole_counts.references);
        EXPECT_EQ(counts.invalid_units, whole_counts.invalid_units);
        EXPECT_EQ(told, bytes.size());
      }
    }
  }

  static const Converter* converter_;
};

const Converter* RecodeInPartsTest::converter_ = nullptr;

TEST_F(RecodeInPartsTest, PartsGiveWhatTheWholeGives) {
  for (const Encoding source :
       {Encoding::kGbk, Encoding::kBig5, Encoding::kGb18030, Encoding::kUtf8}) {
    // Invalid units, and for UTF-8 and GB18030 a byte-order mark first.
    std::string bytes = ByteOrderMark(source) == "" ? "" : "\xEF\xBB\xBF";
    bytes = Bytes(bytes + kPage, source) + "\xFF\x81\n" + Bytes(kPage, source);
    for (const bool markup : {true, false}) ExpectSame(bytes, source, markup);
  }
}

TEST_F(RecodeInPartsTest, CutsOnlyWhereThePageReads) {
  // Nothing but tags that could not begin a part: no cut.
  EXPECT_EQ(MarkupCuts("<b>头</b><i>发</i>", Encoding::kUtf8, 1),
            std::vector<size_t>{});
  EXPECT_EQ(MarkupCuts("<p>a<p>b<!-- c", Encoding::kUtf8, 1), std::nullopt);
  // Read on two threads, a page whose middle is in a comment is cut as one
  // reader cuts it, and one that never ends is no page.
  std::string page;
  for (int i = 0; i < 10; ++i) page += "<p>a\n";
  page += "<!--";
  for (int i = 0; i < 20; ++i) page += "\n<p>c";
  page += "-->";
  for (int i = 0; i < 10; ++i) page += "<p>b\n";
  EXPECT_EQ(MarkupCuts(page, Encoding::kUtf8, 8, 2),
            MarkupCuts(page, Encoding::kUtf8, 8, 1));
  EXPECT_EQ(MarkupCuts(page + "<p>a\n<p>b<!-- c", Encoding::kUtf8, 8, 2),
            std::nullopt);
  // A line feed is no cut where a byte-order mark follows it.
  EXPECT_EQ(TextCuts("a\n\xEF\xBB\xBF"
                     "b\nc\n",
                     Encoding::kUtf8, 1),
            (std::vector<size_t>{7}));
}

// A part that fails fails the whole, with its reason.
TEST_F(RecodeInPartsTest, FailureOfAPartFailsTheWhole) {
  class Failing : public Converter {
   public:
    Status Convert(std::u32string_view text, ScriptConversion,
                   std::u32string& out) const override {
      if (text.find(U'坏') != std::u32string_view::npos)
        return Error{ErrorCode::kNotFound, "bad part"};
      out += text;
      return {};
    }
  } failing;
  std::string bytes;
  for (int i = 0; i < 40; ++i) bytes += i == 29 ? "<p>坏\n" : "<p>好\n";
  for (const bool markup : {true, false}) {
    const std::vector<size_t> cuts =
        markup ? *MarkupCuts(bytes, Encoding::kUtf8, 8)
               : TextCuts(bytes, Encoding::kUtf8, 8);
    std::string out;
    EncodeCounts counts;
    const Status done =
        RecodeInParts(failing, bytes, cuts, markup, Encoding::kUtf8,
                      Encoding::kUtf8, kToTw, 3, out, counts, {});
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().reason, "bad part");
  }
}

// RecodeDocument takes the parts for a large document given threads, and a
// page whose last comment does not end converts alike, saying so.
TEST_F(RecodeInPartsTest, LargeDocumentsGoToParts) {
  std::string page;
  while (page.size() < 2 * kPartBytes + 100)
    page += Bytes(kPage, Encoding::kGbk);
  for (const std::string& bytes : {page, page + "<!-- open"}) {
    std::optional<std::string> problem;
    std::string converted[2];
    for (const unsigned threads : {1u, 2u}) {
      Result<RecodedDocument> done = RecodeDocument(
          *converter_, bytes, Encoding::kGbk, Encoding::kBig5, kToTw,
          MarkupMode::kHtml, "page.htm", false, {}, threads);
      ASSERT_TRUE(done);
      converted[threads - 1] = done->conversion.text;
      if (threads == 1) problem = done->markup_problem;
      EXPECT_EQ(done->markup_problem, problem);
    }
    EXPECT_TRUE(converted[0] == converted[1]);
  }
  // A paragraph of mebibytes with no space or tag in it, which no cut
  // divides, converts as the whole text does, given threads or not.
  std::string paragraph = "<p>";
  while (paragraph.size() < 5 * kPartBytes)
    paragraph += Bytes("头发后台干净，", Encoding::kGbk);
  const Result<Conversion> text =
      converter_->Recode(paragraph, Encoding::kGbk, Encoding::kBig5, kToTw);
  ASSERT_TRUE(text);
  for (const unsigned threads : {1u, 2u}) {
    Result<RecodedDocument> done = RecodeDocument(
        *converter_, paragraph, Encoding::kGbk, Encoding::kBig5, kToTw,
        MarkupMode::kHtml, "page.htm", false, [](size_t) {}, threads);
    ASSERT_TRUE(done && done->as_markup);
    EXPECT_TRUE(done->conversion.text == text->text) << threads;
  }
}

}  // namespace
}  // namespace tovenrak::core
