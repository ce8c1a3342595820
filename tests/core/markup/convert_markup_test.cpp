// ConvertMarkup on small pages, rule by rule, and on generated pages against
// the converter's own conversion of the text they hold.

#include "core/markup/convert_markup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <span>

#include "core/convert/fast_converter.h"
#include "core/convert/phrased_converter.h"
#include "core/convert/user_phrases.h"
#include "core/markup/language_tag.h"
#include "support/text.h"

namespace tovenrak::core {
namespace {

using testing::U32;
using testing::Utf8;
using testing::WithoutPhpBackslashes;

constexpr ScriptConversion kToTw{Script::kTraditional, Variant::kTw};

struct Case {
  const char* name;
  const char* input;
  const char* expected;
};

class ConvertMarkupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { converter_ = MakeFastConverter().release(); }
  static void TearDownTestSuite() { delete converter_; }

  // The converted page, or "error: " and the reason; "changed" when a
  // failure touched what was in the output before. Read from its bytes a
  // few at a time, the page must give the same. By converter_ unless `with`
  // is given.
  static std::string Convert(std::u32string_view page, ScriptConversion how,
                             const Converter* with = nullptr) {
    const Converter& converter = with ? *with : *converter_;
    ExpectSameInPieces(page, how, converter);
    std::u32string out = U"[";
    const Status done = ConvertMarkup(converter, page, how, out);
    if (!done)
      return "error: " + done.error().reason + (out == U"[" ? "" : " changed");
    return Utf8(out.substr(1));
  }

  // Read from its bytes (RecodeMarkup), in UTF-8 and in the legacy
  // encodings whose trail bytes look like ASCII letters, digits and '\\',
  // converting a few code points at a time, a page gives what decoding,
  // ConvertMarkup and encoding give (but for the '\\' of PHP strings that
  // the bytes know of); also when the bytes it says it has read are
  // overwritten at once, if the page reads as markup.
  static void ExpectSameInPieces(std::u32string_view page, ScriptConversion how,
                                 const Converter& converter) {
    for (const Encoding encoding :
         {Encoding::kUtf8, Encoding::kGb18030, Encoding::kBig5}) {
      std::string bytes, whole;
      EncodeCounts counts;
      Encode(page, encoding, bytes, counts);
      const DecodedText decoded = Decode(bytes, encoding);
      if (decoded.byte_order_mark) whole = ByteOrderMark(Encoding::kUtf8);
      std::u32string converted;
      std::vector<AmbiguityPoint> points;
      const Status done = ConvertMarkup(converter, decoded.text, how, converted,
                                        &points, encoding);
      Encode(converted, Encoding::kUtf8, whole, counts);
      std::stable_sort(points.begin(), points.end(),
                       [](const AmbiguityPoint& a, const AmbiguityPoint& b) {
                         return a.index < b.index;
                       });
      LocatePoints(decoded.text, points);
      for (const size_t piece : {1, 6, 1 << 15}) {
        std::string out = "[", input = bytes;
        size_t overwritten = 0;
        std::function<void(size_t)> overwrite;
        if (done) {
          overwrite = [&](size_t end) {
            for (; overwritten < end; ++overwritten) input[overwritten] = '<';
          };
        }
        const Status read =
            RecodeMarkup(converter, input, encoding, Encoding::kUtf8, how, out,
                         counts, piece, overwrite);
        EXPECT_EQ(
            read ? WithoutPhpBackslashes(out.substr(1), encoding)
                 : read.error().reason + (out.size() > 1 ? " changed" : ""),
            done ? WithoutPhpBackslashes(whole, encoding) : done.error().reason)
            << Utf8(page) << " in " << DisplayName(encoding);
        // The same points, found as it goes.
        std::vector<AmbiguityPoint> found;
        out.clear();
        const Status finding =
            RecodeMarkup(converter, bytes, encoding, Encoding::kUtf8, how, out,
                         counts, piece, {}, &found);
        EXPECT_EQ(finding.has_value(), done.has_value());
        EXPECT_EQ(Listing(found), done ? Listing(points) : "")
            << Utf8(page) << " in " << DisplayName(encoding);
      }
    }
  }

  // "LINE:COLUMN @INDEX X -> Y (...)" for each point.
  static std::string Listing(const std::vector<AmbiguityPoint>& points) {
    std::string listed;
    for (const AmbiguityPoint& p : points) {
      listed += std::to_string(p.line) + ":" + std::to_string(p.column) + " @" +
                std::to_string(p.index) + " " + DescribePoint(p) + "\n";
    }
    return listed;
  }

  static void ExpectAll(std::span<const Case> cases,
                        ScriptConversion how = kToTw) {
    for (const Case& c : cases)
      EXPECT_EQ(Convert(U32(c.input), how), c.expected) << c.name;
  }

  static std::u32string Reference(std::u32string_view text,
                                  ScriptConversion how) {
    std::u32string out;
    EXPECT_TRUE(converter_->Convert(text, how, out));
    return out;
  }

  static Converter* converter_;
};
Converter* ConvertMarkupTest::converter_ = nullptr;

TEST_F(ConvertMarkupTest, ConvertsWhatPeopleReadAndKeepsWhatMachinesFollow) {
  const Case cases[] = {
      {"addresses",
       "<a href=\"头发/后台.htm\">后台</a><img src=头发.jpg><form "
       "action='/后台'>",
       "<a href=\"头发/后台.htm\">後臺</a><img src=头发.jpg><form "
       "action='/后台'>"},
      {"script, style, style= and on*",
       "<script>if (s == \"头发\") "
       "go();</script><style>p{font:\"宋体\"}</style>"
       "<p style='font:宋体' onclick=\"say('头发')\" class=头发>头发",
       "<script>if (s == \"头发\") "
       "go();</script><style>p{font:\"宋体\"}</style>"
       "<p style='font:宋体' onclick=\"say('头发')\" class=头发>頭髮"},
      {"server code", "<% s = \"头发\" %><?php echo '头发'; ?>头发<?php x();",
       "<% s = \"头发\" %><?php echo '头发'; ?>頭髮<?php x();"},
      // Read in Big5, 許's second byte is '\\' to PHP, and the string after
      // it ends elsewhere; a string left open ends nothing.
      {"server code in values, titles and comments",
       "<a href=\"<?php echo $u[\"x\"]; ?>/头发.htm\" title=\"<?= $l[\"后面\"] "
       "?>头发\">头发</a><a href=\"<%=rs(\"url\")%>/头发.htm\">头发</a><img "
       "alt=\"<?php echo '?>后面'; ?>头发\"><title><?php echo '?>后面'; "
       "?>头发</title><!-- <?php echo '?>后面'; ?>头发 --><a href=\"<!--#echo "
       "var=\"R\" -->/头发.htm\">头发</a>",
       "<a href=\"<?php echo $u[\"x\"]; ?>/头发.htm\" title=\"<?= $l[\"后面\"] "
       "?>頭髮\">頭髮</a><a href=\"<%=rs(\"url\")%>/头发.htm\">頭髮</a><img "
       "alt=\"<?php echo '?>后面'; ?>頭髮\"><title><?php echo '?>后面'; "
       "?>頭髮</title><!-- <?php echo '?>后面'; ?>頭髮 --><a href=\"<!--#echo "
       "var=\"R\" -->/头发.htm\">頭髮</a>"},
      {"instructions and text that look like server code",
       "<p title=\"涨<%5\">头发<?xml:namespace prefix=o ns=\"urn:x\" /><a "
       "href=头.htm>头发</a>a%>b<?if ($a > 1):?>头发<?endif;?><b title=\"<%5 后"
       "%>\"><a title=\"<%5\" href=\"头%>\">增长<%5，头发</b>90%>80%",
       "<p title=\"漲<%5\">頭髮<?xml:namespace prefix=o ns=\"urn:x\" /><a "
       "href=头.htm>頭髮</a>a%>b<?if ($a > 1):?>頭髮<?endif;?><b title=\"<%5 後"
       "%>\"><a title=\"<%5\" href=\"头%>\">增長<%5，頭髮</b>90%>80%"},
      {"PHP to the end of the file",
       "<?php\n$x = \"?>\";\necho \"<b>头发</b>\";\n",
       "<?php\n$x = \"?>\";\necho \"<b>头发</b>\";\n"},
      {"PHP ends where PHP does",
       "<?php echo '<?xml version=\"1.0\"?>'; $s = \"头发\"; /* ?> */ $t = "
       "'it\\'s ?>'; # 头发 ?>头发<?php echo <<<EOT\n<a href=\"头发.htm\">it's "
       "?></a>\n  EOT;\n$u = \"許\"; $v = \"?>头发\"; ?>头发<?= 'open ?>头发",
       "<?php echo '<?xml version=\"1.0\"?>'; $s = \"头发\"; /* ?> */ $t = "
       "'it\\'s ?>'; # 头发 ?>頭髮<?php echo <<<EOT\n<a href=\"头发.htm\">it's "
       "?></a>\n  EOT;\n$u = \"許\"; $v = \"?>头发\"; ?>頭髮<?= 'open ?>頭髮"},
      // A cache writer writes PHP out in its strings; old PHP's short tags.
      {"PHP in PHP's strings",
       "<?php $c = \"<?php exit; ?>\\n\"; $s = '头发'; ?>头发<?echo "
       "\"?>头发\"; "
       "?>头发",
       "<?php $c = \"<?php exit; ?>\\n\"; $s = '头发'; ?>頭髮<?echo "
       "\"?>头发\"; "
       "?>頭髮"},
      {"attributes people read",
       "<img alt=头发 title=\"头发\" data-x=\"头发\" aria-valuetext=头发>",
       "<img alt=頭髮 title=\"頭髮\" data-x=\"头发\" aria-valuetext=頭髮>"},
      {"value of button inputs only",
       "<INPUT VALUE=\"头发\" TYPE=\"Reset\"><input value=头发>",
       "<INPUT VALUE=\"頭髮\" TYPE=\"Reset\"><input value=头发>"},
      {"content of described meta tags",
       "<meta name=\"Keywords\" content=头发><meta name=generator "
       "content=头发><meta property=og:title content=头发><meta "
       "name=Twitter:Description content=头发><meta property=og:url "
       "content=头发>",
       "<meta name=\"Keywords\" content=頭髮><meta name=generator "
       "content=头发><meta property=og:title content=頭髮><meta "
       "name=Twitter:Description content=頭髮><meta property=og:url "
       "content=头发>"},
      {"title, textarea and comments",
       "<title>头发</title><textarea>头发</textarea><!-- 头发 -->",
       "<title>頭髮</title><textarea>頭髮</textarea><!-- 頭髮 -->"},
      {"instructions in comments",
       "<!--[if IE]><link href=头发.css><![endif]--><!--#include "
       "virtual=\"头发.htm\" --><!-- #include file=\"头发.asp\" -->",
       "<!--[if IE]><link href=头发.css><![endif]--><!--#include "
       "virtual=\"头发.htm\" --><!-- #include file=\"头发.asp\" -->"},
      {"editors' markers",
       "<!-- InstanceBegin template=\"/Templates/头发.dwt\" --><!-- "
       "InstanceBeginEditable name=\"头发\" -->头发<!--webbot bot=Include "
       "U-Include=头发.htm --><!-- saved from url=(0014)about:头发 -->",
       "<!-- InstanceBegin template=\"/Templates/头发.dwt\" --><!-- "
       "InstanceBeginEditable name=\"头发\" -->頭髮<!--webbot bot=Include "
       "U-Include=头发.htm --><!-- saved from url=(0014)about:头发 -->"},
      {"read values that look like addresses",
       "<img alt=\"头发.jpg\" title=\"http://头发.com/\"><a title=/头发/>",
       "<img alt=\"头发.jpg\" title=\"http://头发.com/\"><a title=/头发/>"},
      {"feeds' addresses, names and HTML written as text",
       "<link>http://头发.com/后台.htm</link><id>tag:a.cn,2010:头发</id><p>"
       "tag:头发</p><author>头发@a.cn</author><author>头发</author><descriptio"
       "n>&lt;a title=&quot;1 &gt; 头发&quot; href=\"头发.htm\"&gt;头发&lt;/a"
       "&gt;3 &lt; 5 &lt;头发&gt;</description><content type='html'>&lt;img "
       "src=头.jpg&gt;头发</content><content>&lt;头发&gt;</content>"
       "<description>&lt;p&gt;头&lt;B&gt;发&lt;/b&gt;&lt;br&gt;头&lt;/p&gt;发</"
       "description>",
       "<link>http://头发.com/后台.htm</link><id>tag:a.cn,2010:头发</id><p>"
       "tag:頭髮</p><author>头发@a.cn</author><author>頭髮</author><descriptio"
       "n>&lt;a title=&quot;1 &gt; 头发&quot; href=\"头发.htm\"&gt;頭髮&lt;/a"
       "&gt;3 &lt; 5 &lt;頭髮&gt;</description><content type='html'>&lt;img "
       "src=头.jpg&gt;頭髮</content><content>&lt;頭髮&gt;</content>"
       "<description>&lt;p&gt;頭&lt;B&gt;髮&lt;/b&gt;&lt;br&gt;頭&lt;/p&gt;發</"
       "description>"},
      {"an Atom title of HTML written as text, in CDATA or as XHTML",
       "<feed><title type='html'>&lt;a href=\"头发.htm\"&gt;头发&lt;/a&gt; "
       "头&lt;b&gt;发</title><title>头&lt;b&gt;发</title><title "
       "type=html><![CDATA[<a href=\"头发.htm\">头<b>发</b></a>]]></title>"
       "<title type=xhtml><div><a href=\"头发.htm\">头发</a></div></title>",
       "<feed><title type='html'>&lt;a href=\"头发.htm\"&gt;頭髮&lt;/a&gt; "
       "頭&lt;b&gt;髮</title><title>頭&lt;b&gt;發</title><title "
       "type=html><![CDATA[<a href=\"头发.htm\">頭<b>髮</b></a>]]></title>"
       "<title type=xhtml><div><a href=\"头发.htm\">頭髮</a></div></title>"},
      {"text that is one address",
       "<p> www.头发.com </p><p>头发 http://头发.com",
       "<p> www.头发.com </p><p>頭髮 http://頭髮.com"},
      {"server code inside a read value",
       "<img alt=\"<%= 头发 %>头发\" title=\"50<%头发\">",
       "<img alt=\"<%= 头发 %>頭髮\" title=\"50<%頭髮\">"},
      {"upper case, unquoted, CRLF",
       "<P ALIGN=center\r\nTITLE=头发>头发\r\n</P>",
       "<P ALIGN=center\r\nTITLE=頭髮>頭髮\r\n</P>"},
      {"language tags",
       "<html lang=\"zh-CN\"><p xml:lang=zh-cn><meta "
       "http-equiv=Content-Language content=zh-cn><meta "
       "property=og:locale content=zh_CN><meta name=Language content=zh-CN>"
       "<language>zh-cn</language><dc:language>zh-CN</dc:language>",
       "<html lang=\"zh-TW\"><p xml:lang=zh-tw><meta "
       "http-equiv=Content-Language content=zh-tw><meta "
       "property=og:locale content=zh_TW><meta name=Language content=zh-TW>"
       "<language>zh-tw</language><dc:language>zh-TW</dc:language>"},
  };
  ExpectAll(cases);
}

TEST_F(ConvertMarkupTest, PhrasesRunAcrossInlineTagsOnly) {
  const Case cases[] = {
      {"inline tag inside a phrase", "头<b>发</b>头<wbr>发",
       "頭<b>髮</b>頭<wbr>髮"},
      {"inline tags with read and kept values",
       "<span>干<a href=净.htm title=头发>净</a></span>",
       "<span>乾<a href=净.htm title=頭髮>淨</a></span>"},
      {"a block tag ends a text", "头<br>发", "頭<br>發"},
      {"a comment ends a text", "头<!---->发", "頭<!---->發"},
  };
  ExpectAll(cases);
  // U盘 becomes 隨身碟 with Taiwan idioms, 博客 部落格 and 哈萨克斯坦 哈薩克:
  // across a tag, the pieces of the sentence convert apart.
  const Case twp[] = {
      {"phrase growing across a tag", "U<b>盘</b>", "U<b>盤</b>"},
      {"phrase growing in one piece", "<p>U盘</p>", "<p>隨身碟</p>"},
      {"growing phrase with references", "&#85;&#x76d8;", "&#85;&#x76e4;"},
      {"texts growing and shrinking by as much", "<p>博客博客</p>哈萨克斯坦",
       "<p>部落格部落格</p>哈薩克"},
      {"a phrase growing across a tag leaves the words after a space alone",
       "<p>用<b>户</b>名 头<b>发</b> 博&#23458; &#x5934;发</p>",
       "<p>用<b>戶</b>名 頭<b>髮</b> 博&#23458; &#x982d;髮</p>"},
      {"a run shrinking and growing by as much keeps its tags in their places",
       "<p>方便面<b>x</b>用户名&#x41;方便面</p>",
       "<p>泡麵<b>x</b>使用者名稱&#x41;泡麵</p>"},
      {"other sentences, and phrases beside a growing one, keep their tags",
       "博客：头<b>发</b>，U<b>盘</b><p>博客。&#22836;<i>发</i>，&#22836;<i>发"
       "</i>博客",
       "部落格：頭<b>髮</b>，U<b>盤</b><p>部落格。&#38957;<i>髮</"
       "i>，&#38957;<i>髮</i>部落格"},
  };
  ExpectAll(twp, {Script::kTraditional, Variant::kTwp});
  // Where a phrase holds what ends a sentence, a run is one sentence.
  const UserPhrases comma(PhraseList{{U"头，发", U"甲乙丙"}});
  const PhrasedConverter with_comma(*converter_, comma);
  EXPECT_EQ(Convert(U"博客<b>头</b>头，发",
                    {Script::kTraditional, Variant::kTwp}, &with_comma),
            "部落格<b>頭</b>甲乙丙");
  // A character of one's own that becomes two, written as references.
  const UserPhrases longer(PhraseList{{U"发", U"头发"}});
  const PhrasedConverter with_longer(*converter_, longer);
  EXPECT_EQ(Convert(U"<p>&#x53d1;<b>头</b>发", kToTw, &with_longer),
            "<p>&#x5934;&#x53d1;<b>頭</b>头发");
  // A run too long to hold whole is cut after a space or the end of a
  // sentence, at a text's end or inside it, never inside a phrase that runs
  // across a tag; not at all when a phrase holds such a break, as 头 发 and
  // 头，发 do here.
  constexpr int kUnits = 4000;  // 76,000 code points and more.
  for (const std::u32string_view before_i : {U"头 ", U"头 发\n", U"头，"}) {
    const UserPhrases held(PhraseList{
        {U"头" + std::u32string(before_i.substr(1, 1)) + U"发", U"甲乙丙"}});
    const PhrasedConverter phrased(*converter_, held);
    std::u32string page, text;
    for (int i = 0; i < kUnits; ++i) {
      page += U"头<b>发</b>" + std::u32string(before_i) + U"<i>发</i>";
      text += U"头发" + std::u32string(before_i) + U"发";
    }
    const size_t unit_size = text.size() / kUnits;
    for (const Converter* converter :
         {static_cast<const Converter*>(converter_),
          static_cast<const Converter*>(&phrased)}) {
      // The whole run converted as one text, its tags put back.
      std::u32string converted, expected;
      ASSERT_TRUE(converter->Convert(text, kToTw, converted));
      ASSERT_EQ(converted.size(), text.size());
      for (size_t at = 0; at < converted.size(); at += unit_size) {
        const std::u32string_view unit =
            std::u32string_view(converted).substr(at, unit_size);
        expected += unit.substr(0, 1);
        expected += U"<b>";
        expected += unit.substr(1, 1);
        expected += U"</b>";
        expected += unit.substr(2, before_i.size());
        expected += U"<i>";
        expected += unit.substr(unit_size - 1);
        expected += U"</i>";
      }
      EXPECT_EQ(Convert(page, kToTw, converter), Utf8(expected));
    }
  }
  // So are a long comment and a long text in a run, with or without white
  // space.
  for (const std::u32string_view filler :
       {U"头发 以后\n头发", U"头发，以后。头发"}) {
    std::u32string text, converted, run;
    for (int i = 0; i < kUnits; ++i) text += filler;
    ASSERT_TRUE(converter_->Convert(text, kToTw, converted));
    EXPECT_EQ(Convert(U"<!--" + text + U"-->", kToTw),
              Utf8(U"<!--" + converted + U"-->"));
    ASSERT_TRUE(converter_->Convert(U"头" + text + U"发", kToTw, run));
    ASSERT_EQ(run.size(), text.size() + 2);
    EXPECT_EQ(
        Convert(U"<b>头</b>" + text + U"<i>发</i>", kToTw),
        Utf8(U"<b>" + run.substr(0, 1) + U"</b>" + run.substr(1, text.size()) +
             U"<i>" + run.substr(run.size() - 1) + U"</i>"));
  }
}

TEST_F(ConvertMarkupTest, ReferencesConvertAsTheirCharactersInTheirForm) {
  const Case cases[] = {
      {"decimal", "&#22836;发", "&#38957;髮"},
      {"hex, case of x and digits kept", "&#x5934;&#X53D1;",
       "&#x982d;&#X9AEE;"},
      {"unchanged ones stay as written", "&#x4E2d;&#020013;&amp;&#60;",
       "&#x4E2d;&#020013;&amp;&#60;"},
      {"without ';', as browsers read them", "&#22836&#X5934发",
       "&#38957&#X982d髮"},
      {"not references", "&#;&#123456789;发", "&#;&#123456789;發"},
      {"leading zeros, as many as browsers read", "&#000000022836;发",
       "&#000000038957;髮"},
      {"in a read value", "<img alt='&#22836;发'>", "<img alt='&#38957;髮'>"},
      {"across an inline tag", "&#22836;<b>发</b>", "&#38957;<b>髮</b>"},
      {"not read in comments", "<!-- &#22836;发 -->", "<!-- &#22836;發 -->"},
  };
  ExpectAll(cases);
}

TEST_F(ConvertMarkupTest, KeptCodeWritesWhatTheTargetLacksAsItsOwnEscapes) {
  // Big5 has no 镕 (U+9555) and no 𠀀 (U+20000). A reference is read in a
  // link; in a script or style sheet it would stay as written.
  const Case cases[] = {
      {"link", "<a href='镕.htm'>x</a>", "<a href='&#38229;.htm'>x</a>"},
      {"script", "<script>s='镕𠀀'</script>",
       "<script>s='\\u9555\\uD840\\uDC00'</script>"},
      {"after backslashes", "<script>s='\\镕\\\\镕'</script>",
       "<script>s='\\u9555\\\\\\u9555'</script>"},
      {"JSON", "<script type='application/json; x'>[\"镕\"]</script>",
       "<script type='application/json; x'>[\"\\u9555\"]</script>"},
      {"an old JavaScript type",
       "<script type=text/x-javascript>s='镕'</script>",
       "<script type=text/x-javascript>s='\\u9555'</script>"},
      {"LiveScript", "<script language=LiveScript>s='镕'</script>",
       "<script language=LiveScript>s='\\u9555'</script>"},
      {"style", "<style>a:after{content:'镕\\镕 镕'}</style>",
       "<style>a:after{content:'\\009555\\009555  \\009555'}</style>"},
      {"a template", "<script type=text/template><b>镕</b></script>",
       "<script type=text/template><b>&#38229;</b></script>"},
      {"VBScript", "<script language=VBScript>x=\"镕\"</script>",
       "<script language=VBScript>x=\"&#38229;\"</script>"},
      // PHP reads bytes, and Big5 writes 功 with a last byte '\': in a
      // string, one '\' more keeps it from escaping the quote.
      {"PHP",
       "<?php echo \"镕成功\"; $a = '功'; $b = \"功\\n\"; // 功\necho "
       "<<<EOT\n功$x\nEOT;\necho <<<'N'\n功$x\nN;\n?>",
       "<?php echo \"&#38229;成功\\\"; $a = '功\\'; $b = \"功\\\\n\"; // "
       "功\necho <<<EOT\n功\\$x\nEOT;\necho <<<'N'\n功$x\nN;\n?>"},
      {"PHP in a style, whose strings read \\\\ as \\",
       "<style>p{font-family:\"<?php echo '镕'; ?>\"}</style>",
       "<style>p{font-family:\"<?php echo '\\\\009555'; ?>\"}</style>"},
      // XML reads no reference in a CDATA section: one goes between two.
      // In an HTML page, "<![CDATA[" opens a comment that ends at its '>'.
      {"CDATA of XML",
       "<?xml version='1.0'?><x><![CDATA[<b title='𠀀'><a href='镕'>𠀀</a>"
       "]]>𠀀</x>",
       "<?xml version='1.0'?><x><![CDATA[<b title=']]>&#131072;<![CDATA['><a "
       "href=']]>&#38229;<![CDATA['>]]>&#131072;<![CDATA[</a>]]>&#131072;</x>"},
      {"a feed's CDATA", "<rss><![CDATA[𠀀𠀀]]></rss>",
       "<rss><![CDATA[]]>&#131072;&#131072;<![CDATA[]]></rss>"},
      {"a title's, left open", "<rss><title>𠀀<![CDATA[𠀀</title>𠀀]]>𠀀</rss>",
       "<rss><title>&#131072;<![CDATA[]]>&#131072;<![CDATA[</title>]]>&#131072;"
       "<![CDATA[]]>&#131072;</rss>"},
      {"HTML's, but in its SVG", "<p><![CDATA[𠀀]]><svg><![CDATA[𠀀]]></svg>",
       "<p><![CDATA[&#131072;]]><svg><![CDATA[]]>&#131072;<![CDATA[]]></svg>"},
      {"an SVG title's, not once a <p> leaves the SVG",
       "<svg><title><![CDATA[𠀀]]></title><p><![CDATA[𠀀]]>",
       "<svg><title><![CDATA[]]>&#131072;<![CDATA[]]></title><p><![CDATA["
       "&#131072;]]>"},
      {"PHP in a link and a script",
       "<a href=\"<?php echo '镕成功'; ?>\">x</a><script>a=\"<?= \"成功\" "
       "?>\";</script>",
       "<a href=\"<?php echo '&#38229;成功\\'; ?>\">x</a><script>a=\"<?= "
       "\"成功\\\" ?>\";</script>"},
  };
  for (const Case& c : cases) {
    std::string bytes, out;
    EncodeCounts counts;
    Encode(U32(c.input), Encoding::kUtf8, bytes, counts);
    ASSERT_TRUE(RecodeMarkup(*converter_, bytes, Encoding::kUtf8,
                             Encoding::kBig5, kToTw, out, counts));
    EXPECT_EQ(Utf8(Decode(out, Encoding::kBig5).text), c.expected) << c.name;
    EXPECT_GT(counts.references, 0u) << c.name;
  }
  // Code is read 64 KiB at a time: the same across a piece's end, where an
  // escape is followed by a space, or a '\\' escapes what follows.
  for (size_t fill = (1 << 16) - 6; fill < (1 << 16); ++fill) {
    const std::string pad(fill, 'a');
    for (const auto& [code, expected] :
         {std::pair{"镕 x", "\\009555  x"}, {"\\镕", "\\009555"}}) {
      std::string out;
      EncodeCounts counts;
      ASSERT_TRUE(RecodeMarkup(*converter_, "<style>" + pad + code + "</style>",
                               Encoding::kUtf8, Encoding::kBig5, kToTw, out,
                               counts));
      EXPECT_EQ(out, "<style>" + pad + expected + "</style>") << fill;
    }
  }
  // A GB18030 塢 (89 5D) before "]>" ends no CDATA section.
  std::string cdata, cdata_out;
  EncodeCounts cdata_counts;
  Encode(U32("<?xml version='1.0'?><x><![CDATA[塢]>𠀀]]></x>"),
         Encoding::kGb18030, cdata, cdata_counts);
  ASSERT_TRUE(RecodeMarkup(*converter_, cdata, Encoding::kGb18030,
                           Encoding::kBig5, kToTw, cdata_out, cdata_counts));
  EXPECT_EQ(
      Utf8(Decode(cdata_out, Encoding::kBig5).text),
      "<?xml version='1.0'?><x><![CDATA[塢]>]]>&#131072;<![CDATA[]]></x>");
  // And the '\' that a Big5 page's PHP wrote after 許 goes where 許 has no
  // such byte.
  std::string bytes, php;
  EncodeCounts php_counts;
  Encode(U32("<?php $s = \"許\\\"; $t = '許\\能'; $u = '功誠'; $v = "
             "\"許功\\\"; ?>"),
         Encoding::kBig5, bytes, php_counts);
  ASSERT_TRUE(RecodeMarkup(*converter_, bytes, Encoding::kBig5, Encoding::kGbk,
                           ScriptConversion{Script::kSimplified, Variant::kTw},
                           php, php_counts));
  EXPECT_EQ(Utf8(Decode(php, Encoding::kGbk).text),
            "<?php $s = \"許\"; $t = '許能'; $u = '功誠\\'; $v = \"許功\"; ?>");
  // A byte that is no character is kept in code as anywhere, and counted.
  std::string out;
  EncodeCounts counts;
  ASSERT_TRUE(RecodeMarkup(*converter_, "<script>s='\xFF'</script>",
                           Encoding::kUtf8, Encoding::kBig5, kToTw, out,
                           counts));
  EXPECT_EQ(out, "<script>s='\xFF'</script>");
  EXPECT_EQ(counts.invalid_units, 1u);
}

TEST(FollowScriptTest, LanguageTagsNameTheTargetScript) {
  constexpr ScriptConversion kToCn{Script::kSimplified, Variant::kTw};
  constexpr ScriptConversion kToHans{Script::kSimplified, Variant::kStd};
  constexpr ScriptConversion kToHk{Script::kTraditional, Variant::kHk};
  constexpr ScriptConversion kToHant{Script::kTraditional, Variant::kStd};
  const struct {
    const char* tag;
    ScriptConversion how;
    const char* expected;  // nullptr: kept.
  } cases[] = {{"zh-CN", kToTw, "zh-TW"},
               {"ZH-SG", kToHant, "ZH-HANT"},
               {"zh_CN", kToTw, "zh_TW"},
               {"zh-hans-cn", kToHk, "zh-hant-hk"},
               {"zh-Hans-CN", kToHant, "zh-Hant"},
               {" zh-HK ", kToCn, " zh-CN "},
               {"Zh-Hant", kToHans, "zh-Hans"},
               {"zh-TW", kToTw, nullptr},
               {"zh-CN-x-web", kToTw, "zh-TW-x-web"},
               {"zh-cn-u-co-pinyin", kToTw, "zh-tw-u-co-pinyin"},
               {"zh-x-cn-tw", kToTw, nullptr},
               {"zh", kToTw, nullptr},
               {"zh-yue-HK", kToCn, nullptr},
               {"zh-cmn-Hans-CN", kToTw, "zh-cmn-Hant-TW"},
               {"cmn_CN", kToHk, "cmn_HK"},
               {"yue-Hant-HK", kToCn, "yue-Hans-HK"},
               {"zh-yue-hant", kToHans, "zh-yue-hans"},
               {"zh-cmn-Hans-US", kToTw, nullptr},
               {"en-Hans", kToTw, nullptr},
               {"zh-CN, en", kToTw, "zh-TW, en"},
               {"en,zh_hk", kToCn, "en,zh_cn"},
               {"en, fr", kToTw, nullptr},
               // .NET's older names.
               {"zh-CHS", kToTw, "zh-CHT"},
               {"zh-cht", kToCn, "zh-chs"},
               {"zh-CHT", kToHant, nullptr},
               {"zh-CHX", kToTw, nullptr}};

  for (const auto& c : cases) {
    const std::optional<std::u32string> made = FollowScript(U32(c.tag), c.how);
    EXPECT_EQ(made ? Utf8(*made) : "kept", c.expected ? c.expected : "kept")
        << c.tag;
  }
}

TEST_F(ConvertMarkupTest, BrokenMarkupIsReadAsBrowsersReadIt) {
  const Case cases[] = {
      {"'<' in text", "头发 < 3 <3 a<>b 增长<%5 <a href=头发.htm>",
       "頭髮 < 3 <3 a<>b 增長<%5 <a href=头发.htm>"},
      {"missing end tags", "<p>头发<li>头发<td>", "<p>頭髮<li>頭髮<td>"},
      {"tags inside a title are text", "<title><i>头</i>发</title>",
       "<title><i>頭</i>發</title>"},
      {"Chinese names of XML elements, alike in both tags",
       "<数据 类型=\"头发\"><头发>头发</头发></数据>",
       "<數據 類型=\"頭髮\"><頭髮>頭髮</頭髮></數據>"},
      {"and inside xmp and iframe, not noframes",
       "<xmp><!-- 头<b>发</xmp><iframe><!--头发</iframe>头发"
       "<noframes><a href=头.htm>头发</a></noframes>",
       "<xmp><!-- 頭<b>發</xmp><iframe><!--头发</iframe>頭髮"
       "<noframes><a href=头.htm>頭髮</a></noframes>"},
      {"title without its end", "<title>头发<p>头发", "<title>頭髮<p>頭髮"},
      {"'>' in quoted values", "<a title='头>发' href='头>发'>头发</a>",
       "<a title='頭>發' href='头>发'>頭髮</a>"},
      {"quotes inside quotes", "<img alt=\"他说\"头发\"\">",
       "<img alt=\"他說\"头发\"\">"},
      {"script that closes itself", "<script src=\"头.js\"/>头发",
       "<script src=\"头.js\"/>頭髮"},
      {"script hidden in a comment that writes a script",
       "<SCRIPT><!--\nw('<script>s=1</script>');s='头发'//-->\n</script>头发"
       "<script><!--></script>头发",
       "<SCRIPT><!--\nw('<script>s=1</script>');s='头发'//-->\n</script>頭髮"
       "<script><!--></script>頭髮"},
      {"markup inside CDATA", "<![CDATA[<a href=头发.htm>头发</a>]]>",
       "<![CDATA[<a href=头发.htm>頭髮</a>]]>"},
      {"unterminated comment", "<p>\n<p>\n<!-- 头发",
       "error: unterminated comment from line 3"},
      {"unterminated tag", "\n\n<a href='x>头发",
       "error: unterminated tag from line 3"},
  };
  ExpectAll(cases);
}

TEST(LooksLikeMarkupTest, ByNameOrFirstCharacter) {
  EXPECT_TRUE(LooksLikeMarkup("dir.txt/A.HTM", U"头发"));
  EXPECT_TRUE(LooksLikeMarkup("feed.atom", U""));
  EXPECT_TRUE(LooksLikeMarkup("header.tpl", U"{include file=\"a.tpl\"}"));
  EXPECT_TRUE(LooksLikeMarkup("notes", U"\uFEFF \r\n<p>"));
  EXPECT_TRUE(LooksLikeMarkup("notes.TXT", U"\uFEFF \r\n<!DOCTYPE html>"));
  EXPECT_TRUE(LooksLikeMarkup("notes.txt", U" <HTML>"));
  EXPECT_TRUE(LooksLikeMarkup("part", U"<DIV\tclass=x>"));
  EXPECT_TRUE(LooksLikeMarkup("part", U"<br/>"));
  EXPECT_TRUE(LooksLikeMarkup("part.inc", U"<%= x %>"));
  EXPECT_TRUE(LooksLikeMarkup("part", U"<!-- 头 -->"));
  // A chat log is text, though it begins with '<'.
  EXPECT_FALSE(LooksLikeMarkup("chat.txt", U"<alice> a<b"));
  EXPECT_FALSE(LooksLikeMarkup("chat.log", U"<alice> a<b"));
  EXPECT_FALSE(LooksLikeMarkup("chat.log", U"<bob>hi"));
  EXPECT_FALSE(LooksLikeMarkup("chat.log", U"<pat> hi"));
  EXPECT_FALSE(LooksLikeMarkup("notes.txt", U"<p>"));
  EXPECT_FALSE(LooksLikeMarkup("notes.txt", U"头发 <p>"));
  EXPECT_FALSE(LooksLikeMarkup("html", U""));
}

// Generated pages of items: Kept, Inline tags, tags with a value Read on its
// own (after '|'), and Text, written one after another with '`' between. Text
// between two kept items reads as the converter's conversion of all of it,
// inline tags in their places.
TEST_F(ConvertMarkupTest, GeneratedPagesReadAsTheConversionOfTheirText) {
  std::vector<std::u32string> items = {{U'T', char32_t{0x110041}},
                                       {U'T', char32_t{0xFFFFFFFF}}};
  for (std::u32string_view rest =
           U"K<p>`K</div>`K<br/>`K<script>var s = \"头发\";</script>`K<% 头发 "
           U"%>`"
           U"K<img src='头发.jpg'>`I<b>`I</b>`I<a href=\"后台.htm\">`I</SPAN>`"
           U"R<img alt=\"|头发后台\">`R<!--|干净-->`T头发`T后台`T干`T净`T乾隆`"
           U"T里`T面`T發`T髮`T台`T `T\r\n";
       !rest.empty();) {
    const size_t end = std::min(rest.find(U'`'), rest.size());
    items.emplace_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  std::mt19937 rng(20261207);
  for (int page_number = 0; page_number < 300; ++page_number) {
    const ScriptConversion how{
        rng() % 2 ? Script::kSimplified : Script::kTraditional,
        static_cast<Variant>(rng() % 3 ? 0 : 2 + rng() % 2)};
    std::u32string page, expected, phrase;
    std::vector<std::pair<size_t, std::u32string_view>> tags;  // In `phrase`.
    auto end_text = [&] {
      const std::u32string converted = Reference(phrase, how);
      ASSERT_EQ(converted.size(), phrase.size());
      size_t at = 0;
      for (const auto& [offset, tag] : tags) {
        expected += converted.substr(at, offset - at);
        expected += tag;
        at = offset;
      }
      expected += converted.substr(at);
      phrase.clear();
      tags.clear();
    };
    for (int n = rng() % 40; n > 0; --n) {
      const std::u32string& item = items[rng() % items.size()];
      const std::u32string_view text = std::u32string_view(item).substr(1);
      page += text;
      if (item[0] == U'T') {
        phrase += text;
      } else if (item[0] == U'I') {
        tags.emplace_back(phrase.size(), text);
      } else {
        end_text();
        if (item[0] == U'K') expected += text;
        if (item[0] != U'R') continue;
        const size_t bar = text.find(U'|'),
                     end = text.find_first_of(U"\"-", bar);
        page.erase(page.size() - text.size() + bar, 1);
        expected += text.substr(0, bar);
        expected += Reference(text.substr(bar + 1, end - bar - 1), how);
        expected += text.substr(end);
      }
    }
    end_text();
    ASSERT_EQ(Convert(page, how), Utf8(expected)) << "page " << page_number;
  }
}

}  // namespace
}  // namespace tovenrak::core
