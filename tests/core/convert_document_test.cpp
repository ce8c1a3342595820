// The per-document rule: where each kind of document goes under each
// request, and what the result says about it.

#include "core/convert_document.h"

#include <gtest/gtest.h>

#include "core/convert/default_converter.h"
#include "core/recode_in_parts.h"
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
  const std::string big5_as_18030 = Bytes(kTraditional, kGb18030);
  const std::string kept_big5 = Bytes(kSimplified, kBig5);
  const std::string xml = "<?xml version=\"1.0\" encoding=\"GB18030\"?>";
  constexpr ScriptChoice kKeep = ScriptChoice::kKeep,
                         kSimp = ScriptChoice::kSimplified;
  struct Case {
    std::string input;
    Encoding source, target;
    std::optional<Script> script;
    std::string expected;
    ConversionRequest request = {};
  } cases[] = {
      {big5, kBig5, kGbk, kToS, gbk},
      {gbk, kGbk, kBig5, kToT, big5},
      {xml + Bytes(kSimplified, kGb18030), kGb18030, kBig5, kToT,
       "<?xml version=\"1.0\" encoding=\"big5\"?>" + big5},
      {kSimplified, kUtf8, kUtf8, kToT, kTraditional},
      {kTraditional, kUtf8, kUtf8, kToS, kSimplified},
      {"plain text é", kUtf8, kUtf8, kKept, "plain text é"},
      // An explicit GB target of a UTF-8 page takes the Big5 page's road.
      {kTraditional, kUtf8, kGbk, kToS, gbk, {.to = kGbk}},
      {big5, kBig5, kUtf8, kKept, kTraditional, {.to = kUtf8}},
      {big5, kBig5, kGb18030, kKept, big5_as_18030, {.to = kGb18030}},
      {big5, kBig5, kUtf8, kToS, kSimplified, {.to = kUtf8, .script = kSimp}},
      {gbk, kBig5, kUtf8, kKept, gbk_as_big5, {.from = kBig5, .to = kUtf8}},
      {gbk, kGbk, kBig5, kKept, kept_big5, {.to = kBig5, .script = kKeep}},
      // Named GB, it is read as GB18030, as browsers read a GBK page.
      {"\x95\x32\x82\x36",
       kGb18030,
       kUtf8,
       kKept,
       "\xF0\xA0\x80\x80",
       {.from = kGbk, .to = kUtf8}},
      // A page that says it is Korean converts only when told what it is.
      {"<meta charset=euc-kr>" + gbk,
       kGbk,
       kBig5,
       kToT,
       "<meta charset=big5>" + big5,
       {.from = kGbk}},
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
  EXPECT_FALSE(ConvertDocument(**converter, "<meta charset=euc-kr>" + gbk, {}));
  const auto western = ConvertDocument(
      **converter, "Caf\xE9 na\xEFve, d\xE9j\xE0 vu \xE0 la", {});
  ASSERT_FALSE(western);
  EXPECT_EQ(western.error().reason, kSingleByteLettersReason);
  const auto korean = ConvertDocument(
      **converter,
      "\xC7\xD1\xB1\xB9\xBE\xEE \xC5\xD8\xBD\xBA\xC6\xAE\xC0\xD4\xB4\xCF"
      "\xB4\xD9. \xBC\xAD\xBF\xEF\xC6\xAF\xBA\xB0\xBD\xC3 \xB0\xAD\xB3\xB2"
      "\xB1\xB8, \xB0\xA8\xBB\xE7\xC7\xD5\xB4\xCF\xB4\xD9.",
      {});
  ASSERT_FALSE(korean);
  EXPECT_EQ(korean.error().reason, kJapaneseOrKoreanReason);
  // Binary data is said to be that, whatever its bytes read as.
  const auto binary = ConvertDocument(
      **converter, "Caf\xE9 na\xEFve, d\xE9j\xE0 vu " + std::string(1, '\0'),
      {});
  ASSERT_FALSE(binary);
  EXPECT_EQ(binary.error().reason, kBinaryReason);
}

// Converts `input` as ConvertDocument does, overwriting its bytes as soon
// as the conversion says it reads them no more: a result that differs from
// the plain conversion's has read them again.
Result<DocumentConversion> ConvertOverwritingBehind(
    const Converter& converter, std::string input,
    const ConversionRequest& request, std::string_view name) {
  size_t overwritten = 0;
  return ConvertDocument(converter, input, request, name, [&](size_t end) {
    EXPECT_LE(overwritten, end);
    EXPECT_LE(end, input.size());
    for (; overwritten < end; ++overwritten) input[overwritten] = '<';
  });
}

// A text file that quotes a declaration is read by its bytes and the quote
// stays as written; a page that holds the same declaration follows it, as
// far as its bytes allow (these read as kana in GB). What the text is, is
// known before its bytes are handed back.
TEST(ConvertDocumentTest, OnlyAPageDeclaresItsEncoding) {
  const std::string note =
      Bytes("今天不用手打 <meta charset=\"gb2312\">\n", kBig5);
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const auto& [name, markup, source, quoted] :
       {std::tuple{"note.txt", MarkupMode::kAuto, kBig5, "gb2312"},
        std::tuple{"", MarkupMode::kAuto, kBig5, "gb2312"},
        std::tuple{"note.htm", MarkupMode::kAuto, kGbk, "utf-8"},
        std::tuple{"note.txt", MarkupMode::kHtml, kGbk, "utf-8"}}) {
    const ConversionRequest request{.to = kUtf8, .markup = markup};
    Result<DocumentConversion> out =
        ConvertOverwritingBehind(**converter, note, request, name);
    ASSERT_TRUE(out.has_value()) << name;
    EXPECT_EQ(out->source.encoding, source) << name;
    EXPECT_NE(out->text.find(std::string("charset=\"") + quoted + '"'),
              std::string::npos)
        << name;
  }
}

// UTF-16, in either byte order, is converted as the UTF-8 it equals, its
// bytes never given back; half a character is refused.
TEST(ConvertDocumentTest, Utf16IsReadAsTheUtf8ItEquals) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  const ConversionRequest keep{.to = kUtf8, .script = ScriptChoice::kKeep};
  const std::string big_endian("\xFE\xFF\x59\x34\xD8\x40\xDC\x0B\x00<", 10);
  Result<DocumentConversion> out =
      ConvertOverwritingBehind(**converter, big_endian, keep, "a.txt");
  ASSERT_TRUE(out.has_value());
  EXPECT_TRUE(out->from_utf16);
  EXPECT_EQ(out->text, "\xEF\xBB\xBF头𠀋<");
  for (const std::string& half : {std::string("\xFF\xFE\x00\xDC", 4),
                                  std::string("\xFF\xFE\x34\x59\x00", 5)}) {
    const auto refused = ConvertDocument(**converter, half, keep);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().reason, kUtf16Reason);
  }
  // Named as another encoding, it is read as none.
  ConversionRequest named = keep;
  named.from = kBig5;
  const auto refused = ConvertDocument(**converter, big_endian, named);
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().reason, kNamedOverUtf16Reason);
}

// XML parsers read a document that declares nothing as UTF-8: a feed or
// XHTML written in another encoding says which.
TEST(ConvertDocumentTest, AnXmlDocumentInLegacyEncodingGetsADeclaration) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  const std::string feed = "\n<rss><title>头发</title></rss>";
  const struct {
    const char* name;
    std::string text;
    Encoding to;
    std::string begins;
  } cases[] = {
      {"a.rss", feed, kBig5,
       "<?xml version=\"1.0\" encoding=\"big5\"?>\n\n<rss><title>" +
           Bytes("頭髮", kBig5)},
      {"a.xhtml", "<html><p>头发</p>", kGbk,
       "<?xml version=\"1.0\" encoding=\"gbk\"?>\n<html>"},
      // One is there already, or none is needed.
      {"a.xml", "<?xml version='1.0'?><a>头发</a>", kGbk,
       "<?xml version='1.0' encoding='gbk'?><a>"},
      {"a.xml", "<a>头发</a>", kUtf8, "<a>"},
      // An instruction comes after it; server code writes its own.
      {"a.rss", "<?xml-stylesheet href=\"a.xsl\"?>\r\n<rss>", kGbk,
       "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<?xml-stylesheet"},
      {"a.rss", "<?PHP header('Content-Type: text/xml'); ?><rss>", kGbk,
       "<?PHP"},
      {"a.xml", "<% Response.ContentType = \"text/xml\" %><a>", kGbk, "<%"},
      {"a.htm", "<p>头发</p>", kBig5, "<p>"},
      {"a.xml", "头发 <a>", kBig5, Bytes("頭髮 <a>", kBig5)},
  };
  for (const auto& c : cases) {
    const ConversionRequest request{.to = c.to};
    Result<DocumentConversion> out =
        ConvertDocument(**converter, c.text, request, c.name);
    ASSERT_TRUE(out.has_value()) << c.name;
    EXPECT_TRUE(out->text.starts_with(c.begins)) << out->text;
  }
}

TEST(ConvertDocumentTest, PagesAreReadAsMarkupByNameTextOrRequest) {
  using enum MarkupMode;
  const std::string link = "<a href=头发.htm title=头发>头<b>发</b></a>";
  const std::string page = "<a href=头发.htm title=頭髮>頭<b>髮</b></a>";
  const std::string text = "<a href=頭髮.htm title=頭髮>頭<b>發</b></a>";
  // Long enough to be converted in many pieces, with phrases across them.
  std::string long_link, long_page, long_text;
  for (int i = 0; i < 6000; ++i) {
    long_link += "<p>头发" + link + "以后\n";
    long_page += "<p>頭髮" + page + "以後\n";
    long_text += "<p>頭髮" + text + "以後\n";
  }
  struct Case {
    std::string input;
    MarkupMode markup;
    const char* file_name;
    std::string expected;
    bool as_markup, problem;
  } cases[] = {
      {link, kAuto, "", page, true, false},
      {link, kText, "a.htm", text, false, false},
      {"头发 " + link, kAuto, "d/a.HTM", "頭髮 " + page, true, false},
      {"头发 " + link, kAuto, "a.txt", "頭髮 " + text, false, false},
      {"头发 " + link, kHtml, "a.txt", "頭髮 " + page, true, false},
      // A crawler's rules keep their addresses.
      {"Disallow: /头发/\n", kAuto, "d/Robots.TXT", "Disallow: /头发/\n", false,
       false},
      // What does not end runs to the end, as browsers read it, and is said;
      // the rest of the page is read as ever.
      {"<p>头发<!-- 头发", kAuto, "", "<p>頭髮<!-- 頭髮", true, true},
      {"<?php $s=\"头发\"; ?><% w(\"头发\") %><!-- #include file=\"头发.inc\" "
       "-->头发<!--",
       kAuto, "a.php",
       "<?php $s=\"头发\"; ?><% w(\"头发\") %><!-- #include file=\"头发.inc\" "
       "-->頭髮<!--",
       true, true},
      {link + "<script>s='头发'", kAuto, "", page + "<script>s='头发'", true,
       true},
      {link + "<a href='头发.htm>头发", kAuto, "",
       page + "<a href='头发.htm>头发", true, true},
      {long_link, kAuto, "", long_page, true, false},
      {long_link, kText, "", long_text, false, false},
      {long_link + "<!--", kAuto, "", long_page + "<!--", true, true},
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
    Result<DocumentConversion> behind =
        ConvertOverwritingBehind(**converter, c.input, request, c.file_name);
    ASSERT_TRUE(behind.has_value());
    EXPECT_TRUE(behind->text == c.expected) << c.file_name;
    EXPECT_EQ(behind->markup_problem, out->markup_problem) << c.file_name;
  }
}

// The scripts and style sheets a page loads stay in the encoding the page
// had, so each tag that names none is told it, where a browser would
// otherwise read the file in the page's new encoding; quoted as the tag's
// first value is, so that a tag written in a string of server code gets no
// quote that would end the string; unquoted in the tags server code writes.
TEST(ConvertDocumentTest, LoadedFilesKeepTheEncodingTheyWereWrittenIn) {
  const std::string head =
      "<script src=a.js></script><script src=b.js charset=utf-8></script>"
      "<script src=d.js charset=\"\"></script><script src=\\\"e.js\\\">"
      "</script><script src=\"f.js\"></script><script type=module "
      "src=m.js></script><!-- <script src=c.js> -->"
      "<script>var s = 1;</script><script>if (a<script && b) "
      "d.write('<script src=\"w.js\"><\\/script>');d.writeln(\"<LINK "
      "rel=stylesheet href='w.css'>\");d.write('<script charset=\"'+c+'\" "
      "src=v.js>');s=/<script src=\"([^\"]+)\"/;i=h.indexOf('<script "
      "src=x.js>');d.write(1), y='<script src=y.js>';mywrite('<script "
      "src=m.js>');d . write ('<script src=e.js>')</script><script "
      "type=application/json>\"d.write('<script src=j.js>')\"</script>"
      "<LINK REL='Alternate StyleSheet' "
      "href=s.css><link rel=icon href=i.png><link rel=stylesheet>"
      "<?php echo \"<script src=\\\"p.js\\\"></script>\", '<link "
      "rel=\"stylesheet\" href=\"p.css\"><script type=module src=m.js>'; "
      "preg_match('/<script src=\"([^\"]+)\">/', $h); ?>";
  const std::string labelled =
      "<script charset=gb2312 src=a.js></script>"
      "<script src=b.js charset=utf-8></script>"
      "<script charset=gb2312 src=d.js charset=\"\"></script>"
      "<script charset=gb2312 src=\\\"e.js\\\"></script>"
      "<script charset=\"gb2312\" src=\"f.js\"></script>"
      "<script type=module src=m.js></script><!-- <script src=c.js> -->"
      "<script>var s = 1;</script><script>if (a<script && b) "
      "d.write('<script charset=gb2312 src=\"w.js\"><\\/script>');d.writeln("
      "\"<LINK charset=gb2312 rel=stylesheet href='w.css'>\");d.write('<script "
      "charset=\"'+c+'\" src=v.js>');s=/<script src=\"([^\"]+)\"/;"
      "i=h.indexOf('<script src=x.js>');d.write(1), y='<script src=y.js>';"
      "mywrite('<script src=m.js>');d . write ('<script charset=gb2312 "
      "src=e.js>')</script><script type=application/json>\"d.write('<script "
      "src=j.js>')\"</script><LINK charset='gb2312' "
      "REL='Alternate "
      "StyleSheet' href=s.css><link rel=icon href=i.png><link rel=stylesheet>"
      "<?php echo \"<script charset=gb2312 src=\\\"p.js\\\"></script>\", "
      "'<link "
      "charset=gb2312 rel=\"stylesheet\" href=\"p.css\"><script type=module "
      "src=m.js>'; preg_match('/<script src=\"([^\"]+)\">/', $h); ?>";
  const std::string page = head + "<p>头发</p>\n";
  // Converted on two threads, in parts that each hold scripts.
  std::string long_page, long_labelled;
  for (size_t i = 0; long_page.size() < 3 * kPartBytes; ++i) {
    long_page += page;
    long_labelled += labelled + "<p>头发</p>\n";
  }
  struct Case {
    std::string input;  // UTF-8, given in GB.
    ConversionRequest request;
    std::string expected;  // UTF-8.
  } cases[] = {
      {page, {.to = kUtf8}, labelled + "<p>头发</p>\n"},
      {page, {.to = kBig5}, labelled + "<p>頭髮</p>\n"},
      {page, {.to = kGb18030}, page},
      {page,
       {.to = kBig5, .markup = MarkupMode::kText},
       head + "<p>頭髮</p>\n"},
      {long_page, {.to = kUtf8, .threads = 2}, long_labelled},
      // A form that sends to another site sends in the encoding it did;
      // browsers take the first of two actions.
      {"<form action=//x.cn/s><form action=s.asp action=//x.cn/><FORM "
       "ACCEPT-CHARSET=utf-8 action=http://x.cn/><form title=头 "
       "action=\"HTTP://x.cn\">",
       {.from = kGbk, .to = kUtf8},
       "<form accept-charset=gb2312 action=//x.cn/s><form action=s.asp "
       "action=//x.cn/><FORM ACCEPT-CHARSET=utf-8 action=http://x.cn/><form "
       "accept-charset=gb2312 title=头 action=\"HTTP://x.cn\">"},
      // The script around a tag it writes, and the tag, keep the script's
      // escapes.
      {"<script>document.write('头<script src=a.js title=头>头')</script>",
       {.from = kGbk, .to = kBig5},
       "<script>document.write('\\u5934<script charset=gb2312 src=a.js "
       "title=\\u5934>\\u5934')</script>"},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.substr(0, 200));
    Result<DocumentConversion> out = ConvertDocument(
        **converter, Bytes(c.input, kGbk), c.request, "page.htm");
    ASSERT_TRUE(out.has_value());
    // Compared whole: a long page's difference would print megabytes.
    EXPECT_TRUE(Decode(out->text, out->target).text ==
                Decode(c.expected, kUtf8).text);
  }
}

// A browser sends a query in its page's encoding: one to another site is
// written as the bytes it was read from, percent-encoded, so that the site
// gets what it got before; the site's own, and fragments, which browsers
// send in UTF-8, are characters as any kept markup.
TEST(ConvertDocumentTest, QueriesToOtherSitesSendWhatTheySentBefore) {
  // A reference in the query is read first, as browsers read it; an
  // address that is no link (alt, title) is text to keep.
  const std::string page =
      "<a href=\"http://s.cn/s?wd=头发#头\">头发</a><a href='s.asp?c=头发'>"
      "</a><img src=//i.cn/a?t=后台&#x53D1;&#65;&amp;#1 alt=http://s.cn/?头>"
      "<a href=\"HTTPS://s.cn/?<?=$头?>\">";
  const struct {
    ConversionRequest request;
    std::string expected;  // UTF-8.
  } cases[] = {
      {{.to = kUtf8},
       "<a href=\"http://s.cn/s?wd=%CD%B7%B7%A2#头\">头发</a><a "
       "href='s.asp?c=头发'></a><img src=//i.cn/a?t=%BA%F3%CC%A8%B7%A2&#65;"
       "&amp;#1 alt=http://s.cn/?头><a href=\"HTTPS://s.cn/?<?=$头?>\">"},
      {{.to = kBig5},
       "<a href=\"http://s.cn/s?wd=%CD%B7%B7%A2#&#22836;\">頭髮</a><a "
       "href='s.asp?c=&#22836;&#21457;'></a><img src=//i.cn/a?t=%BA%F3%CC%A8"
       "%B7%A2&#65;&amp;#1 alt=http://s.cn/?&#22836;><a "
       "href=\"HTTPS://s.cn/?<?=$&#22836;?>\">"},
      {{.to = kGb18030}, page},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const auto& c : cases) {
    Result<DocumentConversion> out =
        ConvertDocument(**converter, Bytes(page, kGbk), c.request, "page.htm");
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(Decode(out->text, out->target).text,
              Decode(c.expected, kUtf8).text)
        << c.expected;
  }
  // A feed's reader sends what it likes.
  const std::string feed = "<feed><link href=\"http://s.cn/?q=头\"/></feed>";
  Result<DocumentConversion> out = ConvertDocument(
      **converter, Bytes(feed, kGbk), {.from = kGbk, .to = kUtf8}, "a.atom");
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(out->text, feed);
}

// The scripts and style sheets themselves, converted in the same run,
// change encoding and keep their characters, as a page's own do: one the
// target lacks becomes the language's escape. A style sheet's @charset
// names its new encoding. So does a robots.txt, whose rules name addresses.
TEST(ConvertDocumentTest, ScriptStyleAndRobotsFilesKeepTheirCharacters) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  const struct {
    const char* name;
    const char* input;
    const char* expected;
    size_t references;
    MarkupMode markup = MarkupMode::kAuto;
  } cases[] = {
      {"a.JS", "s = \"头发\\\"\";", "s = \"\\u5934\\u53D1\\\"\";", 2},
      {"d/s.css", "@charset \"gb2312\";p{font:宋体;content:'头 '}",
       "@charset \"big5\";p{font:宋体;content:'\\005934  '}", 1},
      // Converted as text, its @charset still names the new encoding.
      {"s.css", "@charset \"gb2312\";p{font:宋体}",
       "@charset \"big5\";p{font:宋體}", 0, MarkupMode::kText},
      // A rule in one form: 品 is percent-encoded with 产, which Big5 lacks;
      // a sitemap's host is no path; a comment is converted, as text.
      {"robots.txt",
       "Disallow: /头发/\nDisallow: /后台/ # 后台\n allow :/产品/#\n# 产品\n"
       "Sitemap: http://产品.cn/",
       "Disallow: /%E5%A4%B4%E5%8F%91/\nDisallow: /后台/ # 後臺\n allow "
       ":/%E4%BA%A7%E5%93%81/#\n# 產品\nSitemap: "
       "http://%E4%BA%A7品.cn/",
       4},
  };
  for (const auto& c : cases) {
    Result<DocumentConversion> out =
        ConvertDocument(**converter, Bytes(c.input, kGbk),
                        {.to = kBig5, .markup = c.markup}, c.name);
    ASSERT_TRUE(out.has_value()) << c.name;
    EXPECT_EQ(out->text, Bytes(c.expected, kBig5)) << c.name;
    EXPECT_EQ(out->script.has_value(), c.markup == MarkupMode::kText ||
                                           std::string(c.name) == "robots.txt")
        << c.name;
    EXPECT_EQ(out->references, c.references) << c.name;
  }
}

// A page only re-encoded keeps the characters of its scripts and style
// sheets too: one the target lacks becomes the language's escape, where a
// reference would stay as it is written.
TEST(ConvertDocumentTest, AReEncodedPageEscapesInItsScriptsAndStyles) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  Result<DocumentConversion> out = ConvertDocument(
      **converter,
      Bytes("<style>p{font-family:\"微软雅黑\"}</style><p>软", kGbk),
      {.to = kBig5, .script = ScriptChoice::kKeep}, "a.htm");
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(out->text,
            Bytes("<style>p{font-family:\"微\\008F6F雅黑\"}</style><p>&#36719;",
                  kBig5));
  // A reference in server code is said: it is no character to the server.
  // IIS reads "<!-- #include"; an editor's marker and an instruction to an
  // XML document's reader are no server code.
  const struct {
    std::string page;
    ConversionRequest request;
    size_t server_references;
  } pages[] = {
      {Bytes("<% w(\"软\") %><!-- #include file=\"软.inc\" --><!-- "
             "#BeginLibraryItem \"/软.lbi\" -->",
             kGbk),
       {.to = kBig5, .script = ScriptChoice::kKeep},
       2},
      {Bytes("<?php $s=\"软软\"; ?>软<!--", kGbk),
       {.to = kBig5, .script = ScriptChoice::kKeep},
       2},
      {"<?xml-stylesheet href=\"\xF0\x9F\x98\x80.xsl\"?><rss><?mso x "
       "\xF0\x9F\x98\x80?><x>\xF0\x9F\x98\x80",
       {.to = kBig5},
       0},
  };
  for (const auto& [page, request, server_references] : pages) {
    out = ConvertDocument(**converter, page, request, "a.php");
    ASSERT_TRUE(out.has_value()) << page;
    EXPECT_EQ(out->references, 3u) << page;
    EXPECT_EQ(out->server_references, server_references) << page;
  }
}

// A feed only re-encoded is read as markup when it holds CDATA sections,
// which read no references: one the target needs goes between two.
TEST(ConvertDocumentTest, ReferencesStandOutsideCdataSections) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  Result<DocumentConversion> out =
      ConvertDocument(**converter, "<rss><![CDATA[\xF0\xA0\x80\x80]]></rss>",
                      {.to = kGbk, .script = ScriptChoice::kKeep}, "feed.rss");
  ASSERT_TRUE(out.has_value());
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"gbk\"?>\n";
  EXPECT_EQ(out->text,
            declaration + "<rss><![CDATA[]]>&#131072;<![CDATA[]]></rss>");
  EXPECT_TRUE(out->as_markup);
  // Nor when a long feed goes to two threads, which would read its later
  // parts on their own.
  std::string feed = "<rss>", expected = declaration + "<rss>";
  while (feed.size() < 3 * kPartBytes) {
    feed += "<item>\n<title><![CDATA[\xF0\xA0\x80\x80]]></title></item>\n";
    expected +=
        "<item>\n<title><![CDATA[]]>&#131072;<![CDATA[]]></title></item>\n";
  }
  out = ConvertDocument(
      **converter, feed,
      {.to = kGbk, .script = ScriptChoice::kKeep, .threads = 2}, "feed.rss");
  ASSERT_TRUE(out.has_value());
  EXPECT_TRUE(out->text == expected);
}

// PHP reads bytes: a Big5 string's 許 (A5 5C) escapes what follows, so its
// programmers wrote "許\"; GB's 功 becomes A5 5C in Big5. Whether a page is
// converted or only re-encoded, each string keeps its value; read as text
// on request, the bytes are as they were.
// Code in a text file reads a '\' that ends a Big5 character before a quote
// or a '\' as an escape: those the conversion makes are counted, not those
// the text had, nor a '\' of its own.
TEST(ConvertDocumentTest, BackslashesMadeBeforeQuotesAreCounted) {
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  const struct {
    Encoding source;
    std::string input;  // UTF-8.
    size_t made;
  } cases[] = {
      {kGbk, "s = \"成功\"; t = '许可'; u = \"功\\\\\";\n", 2},
      {kGbk, "s = \"a\\\"\"; t = \"成功 \";", 0},
      {kBig5, "s = \"成功\";", 0},
  };
  for (const auto& c : cases) {
    Result<DocumentConversion> out =
        ConvertDocument(**converter, Bytes(c.input, c.source),
                        {.to = kBig5, .script = ScriptChoice::kKeep}, "a.c");
    ASSERT_TRUE(out.has_value()) << c.input;
    EXPECT_EQ(out->quote_escapes, c.made) << c.input;
  }
}

TEST(ConvertDocumentTest, PhpStringsKeepTheirValueInTheNewEncoding) {
  const std::string big5_php = "<?php $s = \"許\\\"; $t = '許\\能'; ?>許";
  const std::string fixed = "<?php $s = \"許\"; $t = '許能'; ?>";
  constexpr ScriptChoice kKeep = ScriptChoice::kKeep;
  const struct {
    Encoding source;
    ConversionRequest request;
    std::string input, expected;  // UTF-8.
    bool as_markup;
  } cases[] = {
      {kBig5, {.to = kUtf8}, big5_php, fixed + "許", true},
      {kBig5, {.to = kGb18030}, big5_php, fixed + "許", true},
      // The quote or '$' that 許's last byte escaped gets a '\' of its own.
      {kBig5,
       {.to = kUtf8},
       "<?php $s = \"許\"\"; $t = \"許$x\"; ?>",
       "<?php $s = \"許\\\"\"; $t = \"許\\$x\"; ?>",
       true},
      {kBig5, {.to = kGbk}, big5_php, fixed + "许", true},
      {kBig5,
       {.to = kUtf8, .script = ScriptChoice::kSimplified},
       big5_php,
       fixed + "许",
       true},
      {kBig5,
       {.to = kUtf8, .markup = MarkupMode::kText},
       big5_php,
       big5_php,
       false},
      {kGbk,
       {.to = kBig5, .script = kKeep},
       "<?echo \"<?php ?>成功\"; ?>",
       "<?echo \"<?php ?>成功\\\"; ?>",
       true},
      // A block left open ends at its first "?>", as its tag does, however
      // far its reading ran; the blocks after it are read as they stand.
      {kGbk,
       {.to = kBig5, .script = kKeep},
       "<?php $s = 'a ?>好<?php echo \"成功\"; ?>尾'; $t = \"",
       "<?php $s = 'a ?>好<?php echo \"成功\\\"; ?>尾'; $t = \"",
       true},
      // A page without PHP is re-encoded as text.
      {kGbk,
       {.to = kBig5, .script = kKeep},
       "<?xml?><p>成功</p>",
       "<?xml?><p>成功</p>",
       false},
      // Doubtful places are looked for outside the PHP alone.
      {kGbk,
       {.to = kBig5, .find_ambiguities = true},
       "<?php $s = \"发\"; $t = \"成功\"; ?>发<!-- ",
       "<?php $s = \"&#21457;\"; $t = \"成功\\\"; ?>發<!-- ",
       true},
  };
  auto converter = MakeDefaultConverter();
  ASSERT_TRUE(converter.has_value());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    Result<DocumentConversion> out = ConvertDocument(
        **converter, Bytes(c.input, c.source), c.request, "page.php");
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(Decode(out->text, out->target).text,
              Decode(c.expected, kUtf8).text);
    EXPECT_EQ(out->as_markup, c.as_markup);
    // Bytes handed back as read are never read again.
    std::string input = Bytes(c.input, c.source);
    Result<DocumentConversion> handing_back =
        ConvertDocument(**converter, input, c.request, "page.php",
                        [&](size_t end) { input.replace(0, end, end, '?'); });
    ASSERT_TRUE(handing_back.has_value());
    EXPECT_EQ(handing_back->text, out->text);
    // No doubtful place is listed in code that is kept.
    if (c.request.find_ambiguities) {
      ASSERT_EQ(out->points.size(), 1u);
      EXPECT_EQ(
          out->points[0].index,
          Decode(c.input.substr(0, c.input.find("?>") + 2), kUtf8).text.size());
    }
  }
}

}  // namespace
}  // namespace tovenrak::core
