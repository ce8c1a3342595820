// The per-document rule: where each kind of document goes under each
// request, and what the result says about it.

#include "core/convert_document.h"

#include <gtest/gtest.h>

#include "core/convert/default_converter.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using enum Encoding;
using testing::Bytes;

constexpr const char* kSimplified = "头发很长，以后再说。";
constexpr const char* kTraditional = "頭髮很長，以後再說。";
constexpr std::optional<Script> kToS = Script::kSimplified,
                                kToT = Script::kTraditional, kKept;

TEST(ConvertDocumentTest, EachRequestGoesWhereItSays) {
  const std::string big5 = Bytes(kTraditional, kBig5);
  const std::string gbk = Bytes(kSimplified, kGbk);
  std::string gbk_as_big5;
  EncodeCounts counts;
  Encode(Decode(gbk, kBig5).text, kUtf8, gbk_as_big5, counts);
  const std::string xml = "<?xml version=\"1.0\" encoding=\"GB18030\"?>";
  struct Case {
    std::string input;
    ConversionRequest request;
    std::string expected;
    Encoding source, target;
    std::optional<Script> script;
  } cases[] = {
      {big5, {}, gbk, kBig5, kGbk, kToS},
      {gbk, {}, big5, kGbk, kBig5, kToT},
      {xml + Bytes(kSimplified, kGb18030),
       {},
       "<?xml version=\"1.0\" encoding=\"big5\"?>" + big5,
       kGb18030,
       kBig5,
       kToT},
      {kSimplified, {}, kTraditional, kUtf8, kUtf8, kToT},
      {kTraditional, {}, kSimplified, kUtf8, kUtf8, kToS},
      {"plain text é", {}, "plain text é", kUtf8, kUtf8, kKept},
      // An explicit GB target of a UTF-8 page takes the Big5 page's road.
      {kTraditional, {.to = kGbk}, gbk, kUtf8, kGbk, kToS},
      {big5, {.to = kUtf8}, kTraditional, kBig5, kUtf8, kKept},
      {big5,
       {.to = kGb18030},
       Bytes(kTraditional, kGb18030),
       kBig5,
       kGb18030,
       kKept},
      {big5,
       {.to = kUtf8, .script = ScriptChoice::kSimplified},
       kSimplified,
       kBig5,
       kUtf8,
       kToS},
      {gbk, {.from = kBig5, .to = kUtf8}, gbk_as_big5, kBig5, kUtf8, kKept},
      {gbk,
       {.to = kBig5, .script = ScriptChoice::kKeep},
       Bytes(kSimplified, kBig5),
       kGbk,
       kBig5,
       kKept},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Result<DocumentConversion> out =
        ConvertDocument(**converter, c.input, c.request);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->text, c.expected);
    EXPECT_EQ(out->source.encoding, c.source);
    EXPECT_EQ(out->target, c.target);
    EXPECT_EQ(out->script, c.script);
  }
}

TEST(ConvertDocumentTest, PagesAreReadAsMarkupByNameTextOrRequest) {
  const std::string link = "<a href=头发.htm title=头发>头<b>发</b></a>";
  const std::string page = "<a href=头发.htm title=頭髮>頭<b>髮</b></a>";
  const std::string text = "<a href=頭髮.htm title=頭髮>頭<b>發</b></a>";
  struct Case {
    std::string input;
    MarkupMode markup;
    const char* file_name;
    std::string expected;
    bool as_markup, problem;
  } cases[] = {
      {link, MarkupMode::kAuto, "", page, true, false},
      {link, MarkupMode::kText, "a.htm", text, false, false},
      {"头发 " + link, MarkupMode::kAuto, "d/a.HTM", "頭髮 " + page, true,
       false},
      {"头发 " + link, MarkupMode::kAuto, "a.txt", "頭髮 " + text, false,
       false},
      {"头发 " + link, MarkupMode::kHtml, "a.txt", "頭髮 " + page, true, false},
      {"<p>头发<!-- 头发", MarkupMode::kAuto, "", "<p>頭髮<!-- 頭髮", false,
       true},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const Case& c : cases) {
    const ConversionRequest request{
        .to = kUtf8, .script = ScriptChoice::kTraditional, .markup = c.markup};
    Result<DocumentConversion> out =
        ConvertDocument(**converter, c.input, request, c.file_name);
    ASSERT_TRUE(out.has_value()) << c.expected;
    EXPECT_EQ(out->text, c.expected);
    EXPECT_EQ(out->as_markup, c.as_markup) << c.expected;
    EXPECT_EQ(out->markup_problem.has_value(), c.problem) << c.expected;
  }
}

}  // namespace
}  // namespace tovenrak::core
