// The per-document rule: where each kind of document goes under each
// request, and what the result says about it.

#include "core/convert_document.h"

#include <gtest/gtest.h>

#include "core/convert/default_converter.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::Bytes;

constexpr const char* kSimplified = "头发很长，以后再说。";
constexpr const char* kTraditional = "頭髮很長，以後再說。";

// `bytes` read as `from` and written as `to`, nothing converted.
std::string Recoded(const std::string& bytes, Encoding from, Encoding to) {
  std::string out;
  EncodeCounts counts;
  Encode(Decode(bytes, from).text, to, out, counts);
  return out;
}

TEST(ConvertDocumentTest, EachRequestGoesWhereItSays) {
  const std::string big5 = Bytes(kTraditional, Encoding::kBig5);
  const std::string gbk = Bytes(kSimplified, Encoding::kGbk);
  const std::string gb18030_page =
      "<?xml version=\"1.0\" encoding=\"GB18030\"?>" +
      Bytes(kSimplified, Encoding::kGb18030);
  struct Case {
    const char* name;
    std::string input;
    ConversionRequest request;
    std::string expected;
    Encoding source, target;
    std::optional<Script> script;
  } cases[] = {
      {"auto: Big5 to GB",
       big5,
       {},
       gbk,
       Encoding::kBig5,
       Encoding::kGbk,
       Script::kSimplified},
      {"auto: GB to Big5",
       gbk,
       {},
       big5,
       Encoding::kGbk,
       Encoding::kBig5,
       Script::kTraditional},
      {"auto: GB18030 to Big5, its declaration too",
       gb18030_page,
       {},
       "<?xml version=\"1.0\" encoding=\"big5\"?>" + big5,
       Encoding::kGb18030,
       Encoding::kBig5,
       Script::kTraditional},
      {"auto: simplified UTF-8 flips to traditional",
       kSimplified,
       {},
       kTraditional,
       Encoding::kUtf8,
       Encoding::kUtf8,
       Script::kTraditional},
      {"auto: traditional UTF-8 flips to simplified",
       kTraditional,
       {},
       kSimplified,
       Encoding::kUtf8,
       Encoding::kUtf8,
       Script::kSimplified},
      {"auto: UTF-8 with nothing to flip stays",
       "plain text é",
       {},
       "plain text é",
       Encoding::kUtf8,
       Encoding::kUtf8,
       std::nullopt},
      // An explicit GB target of a UTF-8 page takes the Big5 page's road.
      {"to gb from UTF-8",
       kTraditional,
       {.to = Encoding::kGbk},
       gbk,
       Encoding::kUtf8,
       Encoding::kGbk,
       Script::kSimplified},
      {"to utf-8 keeps the script",
       big5,
       {.to = Encoding::kUtf8},
       kTraditional,
       Encoding::kBig5,
       Encoding::kUtf8,
       std::nullopt},
      {"to gb18030 keeps the script",
       big5,
       {.to = Encoding::kGb18030},
       Bytes(kTraditional, Encoding::kGb18030),
       Encoding::kBig5,
       Encoding::kGb18030,
       std::nullopt},
      {"script named with the target",
       big5,
       {.to = Encoding::kUtf8, .script = ScriptChoice::kSimplified},
       kSimplified,
       Encoding::kBig5,
       Encoding::kUtf8,
       Script::kSimplified},
      {"source named over detection",
       gbk,
       {.from = Encoding::kBig5, .to = Encoding::kUtf8},
       Recoded(gbk, Encoding::kBig5, Encoding::kUtf8),
       Encoding::kBig5,
       Encoding::kUtf8,
       std::nullopt},
      {"keep to big5",
       gbk,
       {.to = Encoding::kBig5, .script = ScriptChoice::kKeep},
       Bytes(kSimplified, Encoding::kBig5),
       Encoding::kGbk,
       Encoding::kBig5,
       std::nullopt},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const Case& c : cases) {
    Result<DocumentConversion> out =
        ConvertDocument(**converter, c.input, c.request);
    ASSERT_TRUE(out.has_value()) << c.name;
    EXPECT_EQ(out->text, c.expected) << c.name;
    EXPECT_EQ(out->source.encoding, c.source) << c.name;
    EXPECT_EQ(out->target, c.target) << c.name;
    EXPECT_EQ(out->script, c.script) << c.name;
  }
}

TEST(ConvertDocumentTest, PagesAreReadAsMarkupByNameTextOrRequest) {
  const std::string link = "<a href=头发.htm title=头发>头<b>发</b></a>";
  struct Case {
    const char* name;
    std::string input;
    MarkupMode markup;
    const char* file_name;
    std::string expected;
    bool as_markup, problem;
  } cases[] = {
      {"begins with a tag", link, MarkupMode::kAuto, "",
       "<a href=头发.htm title=頭髮>頭<b>髮</b></a>", true, false},
      {"told it is text", link, MarkupMode::kText, "a.htm",
       "<a href=頭髮.htm title=頭髮>頭<b>發</b></a>", false, false},
      {"named as a page", "头发 " + link, MarkupMode::kAuto, "d/a.HTM",
       "頭髮 <a href=头发.htm title=頭髮>頭<b>髮</b></a>", true, false},
      {"named as text", "头发 " + link, MarkupMode::kAuto, "a.txt",
       "頭髮 <a href=頭髮.htm title=頭髮>頭<b>發</b></a>", false, false},
      {"told it is a page", "头发 " + link, MarkupMode::kHtml, "a.txt",
       "頭髮 <a href=头发.htm title=頭髮>頭<b>髮</b></a>", true, false},
      {"a comment that never ends", "<p>头发<!-- 头发", MarkupMode::kAuto, "",
       "<p>頭髮<!-- 頭髮", false, true},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const Case& c : cases) {
    const ConversionRequest request{.to = Encoding::kUtf8,
                                    .script = ScriptChoice::kTraditional,
                                    .markup = c.markup};
    Result<DocumentConversion> out =
        ConvertDocument(**converter, c.input, request, c.file_name);
    ASSERT_TRUE(out.has_value()) << c.name;
    EXPECT_EQ(out->text, c.expected) << c.name;
    EXPECT_EQ(out->as_markup, c.as_markup) << c.name;
    EXPECT_EQ(out->markup_problem.has_value(), c.problem) << c.name;
  }
}

}  // namespace
}  // namespace tovenrak::core
